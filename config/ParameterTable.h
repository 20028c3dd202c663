#pragma once
// The parameter block (registers 3..21), one row a register: what the frames encode, the page
// control that holds it (caption, list entries or edit, its slot and unit), its parameter-file
// key(s) and preset defaults, the name a read-back difference gives and how the command line's
// JSON scales it. Signedness and rounding are the codec's (link/RegisterMap.h,
// kBlockRegisters); the row takes them from there. The frames, the parameter file, the presets,
// the read-back, the JSON and the page's controls all follow from the rows.
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

// Where a control sits on the page: its column (0 left, 1 right) and its row there. The tab
// order runs down the left column, then down the right one.
struct Slot {
    int column = 0;
    int row = 0;
};

// What stands beside a control.
enum class Unit {
    None,
    Signal,   // the selected signal unit, changing with it
    Seconds,  // "S"
    Density,  // "Kg/m3"
};

// A control of "The basic configuration" and the parameter-file line that holds its text.
struct Control {
    const char* caption = nullptr;  // nullptr: no control
    const char* objectName = nullptr;
    bool isList = false;
    ListId list = ListId::SignalType;
    EditId edit = EditId::RangeStart;
    Slot slot;
    Unit unit = Unit::None;
    std::span<const char* const> choices;  // a list's entries, in the page's order
    float PageValues::*number = nullptr;   // a number edit's value
    int PageValues::*integer = nullptr;    // an integer edit's value
    const char* key = nullptr;             // the file line's key; nullptr: no line
    // What a level or temperature preset puts in it when its section has no key; nullptr: a
    // preset leaves the control alone.
    const char* levelPreset = nullptr;
    const char* temperaturePreset = nullptr;
};
// A file line is the control whose text it holds.
using FileLine = Control;

struct ParameterRow {
    std::uint16_t reg;
    const char* name;  // "K1 action holds 100, sent 125"
    Field field;
    bool isSigned;    // the codec's (link/RegisterMap.h, kBlockRegisters)
    Scaling scaling;  // follows from how the codec holds the register
    CodeList codes;
    Control controls[2];  // register 18 feeds two lists
};

// The lists' entries, in the order the page offers them.
namespace choices {
inline constexpr const char* kSignalTypes[] = {KORV_TR_NOOP("Core", "level"),
                                               KORV_TR_NOOP("Core", "Pressure"),
                                               KORV_TR_NOOP("Core", "Temperature")};
inline constexpr const char* kSignalUnits[] = {"℃",   "℉",       "MPa", "kPa", "bar",
                                               "psi", "kgf/cm2", "mm",  "m"};
inline constexpr const char* kOutputTypes[] = {"K1", "K1+K2", "K1+1A", "K1+1V", "2K+1A", "2K+1V"};
inline constexpr const char* kPointPositions[] = {"0.000", "00.00", "000.0", "0000"};
inline constexpr const char* kSwitchTypes[] = {KORV_TR_NOOP("Core", "Hysteresis normally close"),
                                               KORV_TR_NOOP("Core", "Hysteresis normally open"),
                                               KORV_TR_NOOP("Core", "The window close"),
                                               KORV_TR_NOOP("Core", "The window open")};
inline constexpr const char* kVoltages[] = {"0--10V", "0--5V"};
inline constexpr const char* kCurrents[] = {"0--20mA", "4--20mA"};
}  // namespace choices

namespace table_detail {

using PV = PageValues;

// What every control has: its caption, its object name, its place and its file key.
constexpr Control control(const char* caption, const char* objectName, Slot slot, const char* key) {
    Control c;
    c.caption = caption;
    c.objectName = objectName;
    c.slot = slot;
    c.key = key;
    return c;
}

// A list's caption is the page's own text; an edit's begins the messages about its value.
constexpr Control list(ListId id, const char* caption, const char* objectName, Slot slot,
                       std::span<const char* const> entries, const char* key,
                       const char* levelPreset, const char* temperaturePreset) {
    Control c = control(caption, objectName, slot, key);
    c.isList = true;
    c.list = id;
    c.choices = entries;
    c.levelPreset = levelPreset;
    c.temperaturePreset = temperaturePreset;
    return c;
}
constexpr Control number(EditId id, const char* caption, const char* objectName, Slot slot,
                         Unit unit, float PV::*value, const char* key, const char* levelPreset,
                         const char* temperaturePreset) {
    Control c = control(caption, objectName, slot, key);
    c.edit = id;
    c.unit = unit;
    c.number = value;
    c.levelPreset = levelPreset;
    c.temperaturePreset = temperaturePreset;
    return c;
}
constexpr Control integer(EditId id, const char* caption, const char* objectName, Slot slot,
                          Unit unit, int PV::*value, const char* key) {
    Control c = control(caption, objectName, slot, key);
    c.edit = id;
    c.unit = unit;
    c.integer = value;
    return c;
}

constexpr Scaling scalingOf(reg::Holds h) {
    switch (h) {
        case reg::Holds::Truncated:
        case reg::Holds::Rounded:
            return Scaling::Point;
        case reg::Holds::Tenths:
            return Scaling::Tenths;
        case reg::Holds::Count:
            break;
    }
    return Scaling::None;
}

// Signedness and scaling are the codec's; a register outside its table is no row. Indexed, not
// through blockRegister(): GCC's undefined-behaviour sanitizer makes a pointer test non-constant.
constexpr ParameterRow row(std::uint16_t r, const char* name, Field field, CodeList codes,
                           Control a, Control b = {}) {
    const bool inBlock = r >= reg::kBlockFirst && r - reg::kBlockFirst < reg::kBlockCount;
    const reg::BlockRegister facts = inBlock ? reg::kBlockRegisters[r - reg::kBlockFirst]
                                             : reg::BlockRegister{r, false, reg::Holds::Count};
    return {r, name, field, facts.isSigned, scalingOf(facts.holds), codes, {a, b}};
}

using reg::Register;

}  // namespace table_detail

// Row i is register kBlockFirst + i.
inline constexpr std::array<ParameterRow, reg::kBlockCount> kParameterTable = [] {
    using namespace table_detail;
    constexpr Unit S = Unit::Signal;
    return std::array<ParameterRow, reg::kBlockCount>{{
        row(reg::Address, KORV_TR_NOOP("Core", "Address"), Field::NotWritten, CodeList::None,
            integer(EditId::Address, KORV_TR_NOOP("Core", "Address:"), "addressEdit", {0, 1},
                    Unit::None, &PV::address, nullptr)),
        row(reg::SignalType, KORV_TR_NOOP("Core", "Signal type"), Field::Code,
            CodeList::SignalTypes,
            list(ListId::SignalType, KORV_TR_NOOP("BasicConfigControls", "Signal type:"),
                 "signalTypeList", {0, 3}, choices::kSignalTypes, "signalType", nullptr, nullptr)),
        row(reg::SignalUnit, KORV_TR_NOOP("Core", "Signal unit"), Field::Code,
            CodeList::SignalUnits,
            list(ListId::SignalUnit, KORV_TR_NOOP("BasicConfigControls", "Signal unit:"),
                 "signalUnitList", {0, 4}, choices::kSignalUnits, "signalUnit", "cm", "℃")),
        row(reg::RangeStart, KORV_TR_NOOP("Core", "Range start"), Field::Number, CodeList::None,
            number(EditId::RangeStart, KORV_TR_NOOP("Core", "Range start:"), "rangeStartEdit",
                   {0, 5}, S, &PV::rangeStart, "rangeStart", "0", "-20")),
        row(reg::RangeEnd, KORV_TR_NOOP("Core", "Range end"), Field::Number, CodeList::None,
            number(EditId::RangeEnd, KORV_TR_NOOP("Core", "Range end:"), "rangeEndEdit", {0, 6}, S,
                   &PV::rangeEnd, "rangeEnd", "100", "100")),
        row(reg::OutputType, KORV_TR_NOOP("Core", "Output type"), Field::Code,
            CodeList::OutputTypes,
            list(ListId::OutputType, KORV_TR_NOOP("BasicConfigControls", "Output type:"),
                 "outputTypeList", {0, 8}, choices::kOutputTypes, "outputType", "2K+1A", "2K+1A")),
        row(reg::DotPos, KORV_TR_NOOP("Core", "Point position"), Field::Code,
            CodeList::DotPositions,
            list(ListId::PointPosition, KORV_TR_NOOP("BasicConfigControls", "Point position:"),
                 "pointPositionList", {0, 7}, choices::kPointPositions, "dotPos", "00.00",
                 "00.00")),
        row(reg::K1Type, KORV_TR_NOOP("Core", "K1 switch type"), Field::Code, CodeList::SwitchTypes,
            list(ListId::K1Type, KORV_TR_NOOP("BasicConfigControls", "K1 switch type:"),
                 "k1TypeList", {1, 0}, choices::kSwitchTypes, "k1Type", "迟滞常开", "迟滞常开")),
        row(reg::K1Action, KORV_TR_NOOP("Core", "K1 action"), Field::Number, CodeList::None,
            number(EditId::K1Action, KORV_TR_NOOP("Core", "K1 action:"), "k1ActionEdit", {1, 1}, S,
                   &PV::k1Action, "k1Action", "50", "50")),
        row(reg::K1Release, KORV_TR_NOOP("Core", "K1 release"), Field::Number, CodeList::None,
            number(EditId::K1Release, KORV_TR_NOOP("Core", "K1 releasing value:"), "k1ReleaseEdit",
                   {1, 2}, S, &PV::k1Release, "k1Release", "40", "40")),
        row(reg::K1Delay, KORV_TR_NOOP("Core", "K1 delay"), Field::Number, CodeList::None,
            number(EditId::K1Delay, KORV_TR_NOOP("Core", "K1 delay value:"), "k1DelayEdit", {1, 3},
                   Unit::Seconds, &PV::k1Delay, "k1Delay", "0", "0")),
        row(reg::K2Type, KORV_TR_NOOP("Core", "K2 switch type"), Field::Code, CodeList::SwitchTypes,
            list(ListId::K2Type, KORV_TR_NOOP("BasicConfigControls", "K2 switch type:"),
                 "k2TypeList", {1, 4}, choices::kSwitchTypes, "k2Type", "迟滞常开", "迟滞常开")),
        row(reg::K2Action, KORV_TR_NOOP("Core", "K2 action"), Field::Number, CodeList::None,
            number(EditId::K2Action, KORV_TR_NOOP("Core", "K2 action:"), "k2ActionEdit", {1, 5}, S,
                   &PV::k2Action, "k2Action", "50", "50")),
        row(reg::K2Release, KORV_TR_NOOP("Core", "K2 release"), Field::Number, CodeList::None,
            number(EditId::K2Release, KORV_TR_NOOP("Core", "K2 releasing value:"), "k2ReleaseEdit",
                   {1, 6}, S, &PV::k2Release, "k2Release", "40", "40")),
        row(reg::K2Delay, KORV_TR_NOOP("Core", "K2 delay"), Field::Number, CodeList::None,
            number(EditId::K2Delay, KORV_TR_NOOP("Core", "K2 delay value:"), "k2DelayEdit", {1, 7},
                   Unit::Seconds, &PV::k2Delay, "k2Delay", "0", "0")),
        // The voltage list's key keeps its historic name.
        row(reg::OutputRange, KORV_TR_NOOP("Core", "Output range"), Field::OutputRange,
            CodeList::None,
            list(ListId::Voltage, KORV_TR_NOOP("BasicConfigControls", "The output voltage:"),
                 "outputVoltageList", {1, 8}, choices::kVoltages, "pressureOutput", "0--10V",
                 "0--10V"),
            list(ListId::Current, KORV_TR_NOOP("BasicConfigControls", "The current output:"),
                 "currentOutputList", {1, 9}, choices::kCurrents, "currentOutput", "4--20mA",
                 "4--20mA")),
        row(reg::RangeZStart, KORV_TR_NOOP("Core", "Zoom start"), Field::Number, CodeList::None,
            number(EditId::ZoomStart, KORV_TR_NOOP("Core", "Initial zoom range:"), "zoomStartEdit",
                   {0, 10}, S, &PV::zoomStart, "rangeZstart", "0", "-20")),
        row(reg::RangeZEnd, KORV_TR_NOOP("Core", "Zoom end"), Field::Number, CodeList::None,
            number(EditId::ZoomEnd, KORV_TR_NOOP("Core", "Zoom range of termination:"),
                   "zoomEndEdit", {1, 10}, S, &PV::zoomEnd, "rangeZend", "100", "100")),
        row(reg::Density, KORV_TR_NOOP("Core", "Density"), Field::Integer, CodeList::None,
            integer(EditId::Density, KORV_TR_NOOP("Core", "liquid density:"), "densityEdit", {0, 9},
                    Unit::Density, &PV::density, "density")),
    }};
}();

// The page's controls outside the block: the device a download goes to and the product code
// that "Configuration" writes into registers 1 and 2.
inline constexpr std::array<Control, 2> kOtherControls = [] {
    using namespace table_detail;
    return std::array<Control, 2>{{
        integer(EditId::CurrentDevice, KORV_TR_NOOP("Core", "Current device:"), "currentDeviceEdit",
                {0, 0}, Unit::None, &PV::address, nullptr),
        integer(EditId::ProductCode, KORV_TR_NOOP("Core", "Product code:"), "productCodeEdit",
                {0, 2}, Unit::None, &PV::productCode, nullptr),
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
        for (const Control& c : row.controls) n += c.key != nullptr;
    return n;
}

constexpr std::size_t countControls() {
    std::size_t n = kOtherControls.size();
    for (const ParameterRow& row : kParameterTable)
        for (const Control& c : row.controls) n += c.caption != nullptr;
    return n;
}

}  // namespace table_detail

// The parameter file's lines, in the order the program writes them.
inline constexpr std::size_t kParameterLineCount = table_detail::countLines();
inline constexpr std::array<FileLine, kParameterLineCount> kParameterFileLines = [] {
    std::array<FileLine, kParameterLineCount> out{};
    std::size_t n = 0;
    for (const ParameterRow& row : kParameterTable)
        for (const Control& c : row.controls)
            if (c.key)
                out[n++] = c;
    return out;
}();
inline constexpr std::array<const char*, kParameterLineCount> kParameterFileKeys = [] {
    std::array<const char*, kParameterLineCount> out{};
    for (std::size_t i = 0; i < kParameterLineCount; ++i) out[i] = kParameterFileLines[i].key;
    return out;
}();

// Every control of the page: the block's in register order, then the others.
inline constexpr std::size_t kPageControlCount = table_detail::countControls();
inline constexpr std::array<Control, kPageControlCount> kPageControls = [] {
    std::array<Control, kPageControlCount> out{};
    std::size_t n = 0;
    for (const ParameterRow& row : kParameterTable)
        for (const Control& c : row.controls)
            if (c.caption)
                out[n++] = c;
    for (const Control& c : kOtherControls) out[n++] = c;
    return out;
}();

// The control of an edit or of a list (each is in the table once: checked below).
constexpr const Control& editControl(EditId id) {
    for (const Control& c : kPageControls)
        if (!c.isList && c.edit == id)
            return c;
    return kPageControls[0];
}
constexpr const Control& listControl(ListId id) {
    for (const Control& c : kPageControls)
        if (c.isList && c.list == id)
            return c;
    return kPageControls[0];
}

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

constexpr bool sameControl(const Control& a, const Control& b) {
    return a.isList == b.isList && (a.isList ? a.list == b.list : a.edit == b.edit);
}

// Every edit and every list is on the page once, in a slot of its own, and knows what it holds.
constexpr bool controlsComplete() {
    std::size_t edits = 0, lists = 0;
    for (std::size_t i = 0; i < kPageControlCount; ++i) {
        const Control& a = kPageControls[i];
        if (!a.objectName || (a.slot.column != 0 && a.slot.column != 1) || a.slot.row < 0)
            return false;
        if (a.isList ? a.choices.empty() || a.unit != Unit::None
                     : (a.number == nullptr) == (a.integer == nullptr) || !a.choices.empty())
            return false;
        if (a.isList ? idx(a.list) >= kListCount : idx(a.edit) >= kEditCount)
            return false;
        (a.isList ? lists : edits) += 1;
        for (std::size_t j = i + 1; j < kPageControlCount; ++j) {
            const Control& b = kPageControls[j];
            if (sameControl(a, b) || (a.slot.column == b.slot.column && a.slot.row == b.slot.row) ||
                std::string_view(a.objectName) == b.objectName)
                return false;
        }
    }
    return edits == kEditCount && lists == kListCount;
}

// A preset fills a control on both presets or on neither.
constexpr bool presetsPaired() {
    for (const Control& c : kPageControls)
        if ((c.levelPreset == nullptr) != (c.temperaturePreset == nullptr) ||
            (c.levelPreset && !c.key))
            return false;
    return true;
}

// What a row's field needs is there, and only a written row has a file line.
constexpr bool rowsComplete() {
    for (const ParameterRow& row : kParameterTable) {
        const Control& c = row.controls[0];
        const bool hasLine = c.key != nullptr;
        if (!c.caption || (row.controls[1].caption != nullptr) != (row.field == Field::OutputRange))
            return false;
        switch (row.field) {
            case Field::NotWritten:
                if (hasLine)
                    return false;
                break;
            case Field::Code:
                if (row.codes == CodeList::None || !c.isList)
                    return false;
                break;
            case Field::OutputRange:
                if (!c.isList || !row.controls[1].isList || !row.controls[1].key)
                    return false;
                break;
            case Field::Number:
                if (!c.number || c.isList)
                    return false;
                break;
            case Field::Integer:
                if (!c.integer || c.isList)
                    return false;
                break;
        }
        if (row.field != Field::NotWritten && !hasLine)
            return false;
        if (row.isSigned && row.field != Field::Number)
            return false;
        // A number the codec scales by the point position, or in tenths, is a float edit.
        if ((row.scaling != Scaling::None) != (row.field == Field::Number))
            return false;
    }
    return true;
}

static_assert(rowsInRegisterOrder(), "row i must describe register kBlockFirst + i");
static_assert(keysUnique(), "every parameter-file key once");
static_assert(controlsComplete(), "every edit and list once on the page, in a slot of its own");
static_assert(presetsPaired(), "a preset default for both presets, on a file line");
static_assert(rowsComplete(), "a row lacks what its field needs");

}  // namespace table_detail

}  // namespace config
