#pragma once
// The parameter block (registers 3..21), one row a register: what the frames encode, which
// page control holds it, its parameter-file key(s), the name a read-back difference gives and
// how the command line's JSON scales it. Adding a register is one row here (and its page
// control); the frames, the parameter file, the read-back and the JSON follow from the row.
//
// The file's lines are the rows' keys in row order, so the file format is the table's order.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/Texts.h"
#include "config/ParameterModel.h"
#include "link/RegisterMap.h"

namespace config {

// How a register's count becomes the page's value.
enum class Scaling {
    None,    // the count itself (codes, address, density)
    Point,   // by the selected point position, in the signal's unit
    Tenths,  // tenths of a second whatever the point position is
};

// What a download writes into the register.
enum class Field {
    NotWritten,   // the address: written by "Configuration" only
    Code,         // the code of the list's text
    OutputRange,  // the code of the analogue list the output type uses
    Number,       // a float edit, scaled (link/RegisterMap.h, encodeField)
    Integer,      // an integer edit as it is
};

enum class CodeList { None, SignalTypes, SignalUnits, OutputTypes, DotPositions, SwitchTypes };

// One line of the parameter file: its key and the control whose text it holds.
struct FileLine {
    const char* key = nullptr;  // nullptr: no line
    bool isList = false;
    ListId list = ListId::SignalType;
    EditId edit = EditId::RangeStart;
};

struct ParameterRow {
    std::uint16_t reg;
    const char* name;  // "K1 action holds 100, sent 125"
    Field field;
    bool isSigned;
    Scaling scaling;
    CodeList codes;
    float PageValues::*number;  // Field::Number
    int PageValues::*integer;   // Field::Integer
    FileLine lines[2];          // register 18 feeds two lists
};

namespace table_detail {

constexpr FileLine L(const char* key, ListId id) {
    return {key, true, id, EditId::RangeStart};
}
constexpr FileLine E(const char* key, EditId id) {
    return {key, false, ListId::SignalType, id};
}
constexpr FileLine none() {
    return {};
}

constexpr ParameterRow code(reg::Register r, const char* name, CodeList codes, ListId list,
                            const char* key) {
    return {r,       name,    Field::Code,           false, Scaling::None, codes,
            nullptr, nullptr, {L(key, list), none()}};
}
constexpr ParameterRow number(reg::Register r, const char* name, bool isSigned, Scaling scaling,
                              float PageValues::*value, EditId edit, const char* key) {
    return {r,     name,    Field::Number,         isSigned, scaling, CodeList::None,
            value, nullptr, {E(key, edit), none()}};
}

using reg::Register;
using PV = PageValues;

}  // namespace table_detail

// Row i is register kBlockFirst + i.
inline constexpr std::array<ParameterRow, reg::kBlockCount> kParameterTable = [] {
    using namespace table_detail;
    return std::array<ParameterRow, reg::kBlockCount>{{
        {reg::Address,
         KORV_TR_NOOP("Core", "Address"),
         Field::NotWritten,
         false,
         Scaling::None,
         CodeList::None,
         nullptr,
         nullptr,
         {none(), none()}},
        code(reg::SignalType, KORV_TR_NOOP("Core", "Signal type"), CodeList::SignalTypes,
             ListId::SignalType, "signalType"),
        code(reg::SignalUnit, KORV_TR_NOOP("Core", "Signal unit"), CodeList::SignalUnits,
             ListId::SignalUnit, "signalUnit"),
        number(reg::RangeStart, KORV_TR_NOOP("Core", "Range start"), true, Scaling::Point,
               &PV::rangeStart, EditId::RangeStart, "rangeStart"),
        number(reg::RangeEnd, KORV_TR_NOOP("Core", "Range end"), false, Scaling::Point,
               &PV::rangeEnd, EditId::RangeEnd, "rangeEnd"),
        code(reg::OutputType, KORV_TR_NOOP("Core", "Output type"), CodeList::OutputTypes,
             ListId::OutputType, "outputType"),
        code(reg::DotPos, KORV_TR_NOOP("Core", "Point position"), CodeList::DotPositions,
             ListId::PointPosition, "dotPos"),
        code(reg::K1Type, KORV_TR_NOOP("Core", "K1 switch type"), CodeList::SwitchTypes,
             ListId::K1Type, "k1Type"),
        number(reg::K1Action, KORV_TR_NOOP("Core", "K1 action"), true, Scaling::Point,
               &PV::k1Action, EditId::K1Action, "k1Action"),
        number(reg::K1Release, KORV_TR_NOOP("Core", "K1 release"), true, Scaling::Point,
               &PV::k1Release, EditId::K1Release, "k1Release"),
        number(reg::K1Delay, KORV_TR_NOOP("Core", "K1 delay"), false, Scaling::Tenths, &PV::k1Delay,
               EditId::K1Delay, "k1Delay"),
        code(reg::K2Type, KORV_TR_NOOP("Core", "K2 switch type"), CodeList::SwitchTypes,
             ListId::K2Type, "k2Type"),
        number(reg::K2Action, KORV_TR_NOOP("Core", "K2 action"), true, Scaling::Point,
               &PV::k2Action, EditId::K2Action, "k2Action"),
        number(reg::K2Release, KORV_TR_NOOP("Core", "K2 release"), true, Scaling::Point,
               &PV::k2Release, EditId::K2Release, "k2Release"),
        number(reg::K2Delay, KORV_TR_NOOP("Core", "K2 delay"), false, Scaling::Tenths, &PV::k2Delay,
               EditId::K2Delay, "k2Delay"),
        // The voltage list's key keeps its historic name.
        {reg::OutputRange,
         KORV_TR_NOOP("Core", "Output range"),
         Field::OutputRange,
         false,
         Scaling::None,
         CodeList::None,
         nullptr,
         nullptr,
         {L("pressureOutput", ListId::Voltage), L("currentOutput", ListId::Current)}},
        number(reg::RangeZStart, KORV_TR_NOOP("Core", "Zoom start"), true, Scaling::Point,
               &PV::zoomStart, EditId::ZoomStart, "rangeZstart"),
        number(reg::RangeZEnd, KORV_TR_NOOP("Core", "Zoom end"), false, Scaling::Point,
               &PV::zoomEnd, EditId::ZoomEnd, "rangeZend"),
        {reg::Density,
         KORV_TR_NOOP("Core", "Density"),
         Field::Integer,
         false,
         Scaling::None,
         CodeList::None,
         nullptr,
         &PV::density,
         {E("density", EditId::Density), none()}},
    }};
}();

// The row of register r; nullptr outside the block.
constexpr const ParameterRow* parameterRow(std::uint16_t r) {
    if (r < reg::kBlockFirst || r >= reg::kBlockFirst + reg::kBlockCount)
        return nullptr;
    return &kParameterTable[r - reg::kBlockFirst];
}

// The code table a row's list encodes with; empty for CodeList::None.
inline std::span<const reg::Code> codesOf(CodeList list) {
    switch (list) {
        case CodeList::SignalTypes:
            return reg::kSignalTypes;
        case CodeList::SignalUnits:
            return reg::kSignalUnits;
        case CodeList::OutputTypes:
            return reg::kOutputTypes;
        case CodeList::DotPositions:
            return reg::kDotPositions;
        case CodeList::SwitchTypes:
            return reg::kSwitchTypes;
        case CodeList::None:
            break;
    }
    return {};
}

namespace table_detail {

constexpr std::size_t countLines() {
    std::size_t n = 0;
    for (const ParameterRow& row : kParameterTable)
        for (const FileLine& l : row.lines) n += l.key != nullptr;
    return n;
}

}  // namespace table_detail

// The parameter file's lines, in the order the program writes them.
inline constexpr std::size_t kParameterLineCount = table_detail::countLines();
inline constexpr std::array<FileLine, kParameterLineCount> kParameterFileLines = [] {
    std::array<FileLine, kParameterLineCount> out{};
    std::size_t n = 0;
    for (const ParameterRow& row : kParameterTable)
        for (const FileLine& l : row.lines)
            if (l.key)
                out[n++] = l;
    return out;
}();
inline constexpr std::array<const char*, kParameterLineCount> kParameterFileKeys = [] {
    std::array<const char*, kParameterLineCount> out{};
    for (std::size_t i = 0; i < kParameterLineCount; ++i) out[i] = kParameterFileLines[i].key;
    return out;
}();

namespace table_detail {

constexpr bool rowsInRegisterOrder() {
    for (std::size_t i = 0; i < kParameterTable.size(); ++i)
        if (kParameterTable[i].reg != reg::kBlockFirst + i)
            return false;
    return true;
}

constexpr bool keysUnique() {
    for (std::size_t i = 0; i < kParameterLineCount; ++i)
        for (std::size_t j = i + 1; j < kParameterLineCount; ++j)
            if (std::string_view(kParameterFileKeys[i]) == kParameterFileKeys[j])
                return false;
    return true;
}

// Each page control is fed by one line at most.
constexpr bool controlsUnique() {
    for (std::size_t i = 0; i < kParameterLineCount; ++i)
        for (std::size_t j = i + 1; j < kParameterLineCount; ++j) {
            const FileLine& a = kParameterFileLines[i];
            const FileLine& b = kParameterFileLines[j];
            if (a.isList == b.isList && (a.isList ? a.list == b.list : a.edit == b.edit))
                return false;
        }
    return true;
}

// What a row's field needs is there, and only a written row has a file line.
constexpr bool rowsComplete() {
    for (const ParameterRow& row : kParameterTable) {
        const bool hasLine = row.lines[0].key != nullptr;
        switch (row.field) {
            case Field::NotWritten:
                if (hasLine)
                    return false;
                break;
            case Field::Code:
                if (row.codes == CodeList::None || !row.lines[0].isList)
                    return false;
                break;
            case Field::OutputRange:
                if (!row.lines[0].isList || !row.lines[1].isList)
                    return false;
                break;
            case Field::Number:
                if (!row.number || row.lines[0].isList)
                    return false;
                break;
            case Field::Integer:
                if (!row.integer || row.lines[0].isList)
                    return false;
                break;
        }
        if (row.field != Field::NotWritten && !hasLine)
            return false;
        if (row.isSigned && row.field != Field::Number)
            return false;
    }
    return true;
}

static_assert(rowsInRegisterOrder(), "row i must describe register kBlockFirst + i");
static_assert(keysUnique(), "every parameter-file key once");
static_assert(controlsUnique(), "every page control fed by one file line");
static_assert(rowsComplete(), "a row lacks what its field needs");

}  // namespace table_detail

}  // namespace config
