#pragma once
// The parameter block (registers 3..21), one row a register: what the frames encode, the page
// control that holds it (caption, list entries or edit and its place in the reading order, its
// slot and unit), its parameter-file key(s) and preset defaults, the name a read-back difference
// gives, how the command line's JSON scales it and how the register holds it (signedness and
// rounding, which the codec in link/RegisterMap.h is given). The frames, the parameter
// file, the presets, the read-back, the JSON, the page's controls and the page's values all follow
// from the rows; the edits and lists are counted from them.
//
// The file's lines are the rows' keys in row order, so the file format is the table's order.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/Texts.h"
#include "link/RegisterMap.h"

namespace config {

// An edit of the page by its place in the reading order (which decides which values a failed
// reading keeps), a list by its place among the lists in table order. The rows give the places;
// the names below are the ones the page's rules use, found by object name after the table, so a
// register the rules do not name needs none.
struct EditId {
    std::uint8_t index = 0;
    constexpr bool operator==(const EditId&) const = default;
    static const EditId RangeStart, RangeEnd, Address, CurrentDevice, ProductCode, K1Action,
        K2Action, K1Delay, K2Delay, Density, ZoomEnd, ZoomStart, K1Release, K2Release;
};
struct ListId {
    std::uint8_t index = 0;
    constexpr bool operator==(const ListId&) const = default;
    static const ListId SignalType, SignalUnit, OutputType, PointPosition, K1Type, K2Type, Voltage,
        Current;
};

constexpr std::size_t idx(ListId id) {
    return id.index;
}
constexpr std::size_t idx(EditId id) {
    return id.index;
}
constexpr EditId editAt(std::size_t i) {
    return EditId{static_cast<std::uint8_t>(i)};
}
constexpr ListId listAt(std::size_t i) {
    return ListId{static_cast<std::uint8_t>(i)};
}

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
    ListId list;  // given in table order once the table is built
    EditId edit;  // the edit's place in the reading order
    Slot slot;
    Unit unit = Unit::None;
    std::span<const char* const> choices;  // a list's entries, in the page's order
    bool isInteger = false;                // an integer edit; else a number edit's value is a float
    // The edit whose page value this edit shows and sets: itself, or the one of register
    // `sharesRegister` (0: none).
    EditId value;
    std::uint16_t sharesRegister = 0;
    float initial = 0;          // the number edit's value before any device was read
    const char* key = nullptr;  // the file line's key; nullptr: no line
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
    reg::Holding holding;  // what the codec is given
    Scaling scaling;       // follows from the holding
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
constexpr Control list(const char* caption, const char* objectName, Slot slot,
                       std::span<const char* const> entries, const char* key,
                       const char* levelPreset, const char* temperaturePreset) {
    Control c = control(caption, objectName, slot, key);
    c.isList = true;
    c.choices = entries;
    c.levelPreset = levelPreset;
    c.temperaturePreset = temperaturePreset;
    return c;
}
// `read` is the edit's place in the reading order.
constexpr Control number(int read, const char* caption, const char* objectName, Slot slot,
                         Unit unit, const char* key, const char* levelPreset,
                         const char* temperaturePreset, float initial = 0) {
    Control c = control(caption, objectName, slot, key);
    c.edit = editAt(static_cast<std::size_t>(read));
    c.value = c.edit;
    c.unit = unit;
    c.initial = initial;
    c.levelPreset = levelPreset;
    c.temperaturePreset = temperaturePreset;
    return c;
}
constexpr Control integer(int read, const char* caption, const char* objectName, Slot slot,
                          Unit unit, const char* key, std::uint16_t sharesRegister = 0) {
    Control c = control(caption, objectName, slot, key);
    c.edit = editAt(static_cast<std::size_t>(read));
    c.value = c.edit;
    c.unit = unit;
    c.isInteger = true;
    c.sharesRegister = sharesRegister;
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

// How the registers hold their values.
constexpr reg::Holding kCount{};  // codes, the address, the density: as they are
constexpr reg::Holding kTruncated{false, reg::Holds::Truncated};
constexpr reg::Holding kSignedTruncated{true, reg::Holds::Truncated};
constexpr reg::Holding kSignedRounded{true, reg::Holds::Rounded};
constexpr reg::Holding kTenths{false, reg::Holds::Tenths};

constexpr ParameterRow row(std::uint16_t r, const char* name, Field field, reg::Holding holding,
                           CodeList codes, Control a, Control b = {}) {
    return {r, name, field, holding, scalingOf(holding.holds), codes, {a, b}};
}

using reg::Register;

}  // namespace table_detail

// Row i is register kBlockFirst + i.
inline constexpr std::array<ParameterRow, reg::kBlockCount> kParameterTable = [] {
    using namespace table_detail;
    constexpr Unit S = Unit::Signal;
    std::array<ParameterRow, reg::kBlockCount> rows{{
        row(reg::Address, KORV_TR_NOOP("Core", "Address"), Field::NotWritten, kCount,
            CodeList::None,
            integer(2, KORV_TR_NOOP("Core", "Address:"), "addressEdit", {0, 1}, Unit::None,
                    nullptr)),
        row(reg::SignalType, KORV_TR_NOOP("Core", "Signal type"), Field::Code, kCount,
            CodeList::SignalTypes,
            list(KORV_TR_NOOP("BasicConfigControls", "Signal type:"), "signalTypeList", {0, 3},
                 choices::kSignalTypes, "signalType", nullptr, nullptr)),
        row(reg::SignalUnit, KORV_TR_NOOP("Core", "Signal unit"), Field::Code, kCount,
            CodeList::SignalUnits,
            list(KORV_TR_NOOP("BasicConfigControls", "Signal unit:"), "signalUnitList", {0, 4},
                 choices::kSignalUnits, "signalUnit", "cm", "℃")),
        row(reg::RangeStart, KORV_TR_NOOP("Core", "Range start"), Field::Number, kSignedTruncated,
            CodeList::None,
            number(0, KORV_TR_NOOP("Core", "Range start:"), "rangeStartEdit", {0, 5}, S,
                   "rangeStart", "0", "-20")),
        row(reg::RangeEnd, KORV_TR_NOOP("Core", "Range end"), Field::Number, kTruncated,
            CodeList::None,
            number(1, KORV_TR_NOOP("Core", "Range end:"), "rangeEndEdit", {0, 6}, S, "rangeEnd",
                   "100", "100", 400)),
        row(reg::OutputType, KORV_TR_NOOP("Core", "Output type"), Field::Code, kCount,
            CodeList::OutputTypes,
            list(KORV_TR_NOOP("BasicConfigControls", "Output type:"), "outputTypeList", {0, 8},
                 choices::kOutputTypes, "outputType", "2K+1A", "2K+1A")),
        row(reg::DotPos, KORV_TR_NOOP("Core", "Point position"), Field::Code, kCount,
            CodeList::DotPositions,
            list(KORV_TR_NOOP("BasicConfigControls", "Point position:"), "pointPositionList",
                 {0, 7}, choices::kPointPositions, "dotPos", "00.00", "00.00")),
        row(reg::K1Type, KORV_TR_NOOP("Core", "K1 switch type"), Field::Code, kCount,
            CodeList::SwitchTypes,
            list(KORV_TR_NOOP("BasicConfigControls", "K1 switch type:"), "k1TypeList", {1, 0},
                 choices::kSwitchTypes, "k1Type", "迟滞常开", "迟滞常开")),
        row(reg::K1Action, KORV_TR_NOOP("Core", "K1 action"), Field::Number, kSignedRounded,
            CodeList::None,
            number(5, KORV_TR_NOOP("Core", "K1 action:"), "k1ActionEdit", {1, 1}, S, "k1Action",
                   "50", "50")),
        row(reg::K1Release, KORV_TR_NOOP("Core", "K1 release"), Field::Number, kSignedRounded,
            CodeList::None,
            number(12, KORV_TR_NOOP("Core", "K1 releasing value:"), "k1ReleaseEdit", {1, 2}, S,
                   "k1Release", "40", "40")),
        row(reg::K1Delay, KORV_TR_NOOP("Core", "K1 delay"), Field::Number, kTenths, CodeList::None,
            number(7, KORV_TR_NOOP("Core", "K1 delay value:"), "k1DelayEdit", {1, 3}, Unit::Seconds,
                   "k1Delay", "0", "0")),
        row(reg::K2Type, KORV_TR_NOOP("Core", "K2 switch type"), Field::Code, kCount,
            CodeList::SwitchTypes,
            list(KORV_TR_NOOP("BasicConfigControls", "K2 switch type:"), "k2TypeList", {1, 4},
                 choices::kSwitchTypes, "k2Type", "迟滞常开", "迟滞常开")),
        row(reg::K2Action, KORV_TR_NOOP("Core", "K2 action"), Field::Number, kSignedRounded,
            CodeList::None,
            number(6, KORV_TR_NOOP("Core", "K2 action:"), "k2ActionEdit", {1, 5}, S, "k2Action",
                   "50", "50")),
        row(reg::K2Release, KORV_TR_NOOP("Core", "K2 release"), Field::Number, kSignedRounded,
            CodeList::None,
            number(13, KORV_TR_NOOP("Core", "K2 releasing value:"), "k2ReleaseEdit", {1, 6}, S,
                   "k2Release", "40", "40")),
        row(reg::K2Delay, KORV_TR_NOOP("Core", "K2 delay"), Field::Number, kTenths, CodeList::None,
            number(8, KORV_TR_NOOP("Core", "K2 delay value:"), "k2DelayEdit", {1, 7}, Unit::Seconds,
                   "k2Delay", "0", "0")),
        // The voltage list's key keeps its historic name.
        row(reg::OutputRange, KORV_TR_NOOP("Core", "Output range"), Field::OutputRange, kCount,
            CodeList::None,
            list(KORV_TR_NOOP("BasicConfigControls", "The output voltage:"), "outputVoltageList",
                 {1, 8}, choices::kVoltages, "pressureOutput", "0--10V", "0--10V"),
            list(KORV_TR_NOOP("BasicConfigControls", "The current output:"), "currentOutputList",
                 {1, 9}, choices::kCurrents, "currentOutput", "4--20mA", "4--20mA")),
        row(reg::RangeZStart, KORV_TR_NOOP("Core", "Zoom start"), Field::Number, kSignedTruncated,
            CodeList::None,
            number(11, KORV_TR_NOOP("Core", "Initial zoom range:"), "zoomStartEdit", {0, 10}, S,
                   "rangeZstart", "0", "-20")),
        row(reg::RangeZEnd, KORV_TR_NOOP("Core", "Zoom end"), Field::Number, kTruncated,
            CodeList::None,
            number(10, KORV_TR_NOOP("Core", "Zoom range of termination:"), "zoomEndEdit", {1, 10},
                   S, "rangeZend", "100", "100")),
        row(reg::Density, KORV_TR_NOOP("Core", "Density"), Field::Integer, kCount, CodeList::None,
            integer(9, KORV_TR_NOOP("Core", "liquid density:"), "densityEdit", {0, 9},
                    Unit::Density, "density")),
    }};
    std::uint8_t lists = 0;
    for (ParameterRow& row : rows)
        for (Control& c : row.controls)
            if (c.isList)
                c.list = ListId{lists++};
    return rows;
}();

// The page's controls outside the block: the device a download goes to (it sets the address
// value, as the classic page did: read after "Address:", it is the one "Configuration" writes)
// and the product code that "Configuration" writes into registers 1 and 2.
inline constexpr std::array<Control, 2> kOtherControls = [] {
    using namespace table_detail;
    std::array<Control, 2> controls{{
        integer(3, KORV_TR_NOOP("Core", "Current device:"), "currentDeviceEdit", {0, 0}, Unit::None,
                nullptr, reg::Address),
        integer(4, KORV_TR_NOOP("Core", "Product code:"), "productCodeEdit", {0, 2}, Unit::None,
                nullptr),
    }};
    for (Control& c : controls)
        if (c.sharesRegister)
            c.value = kParameterTable[c.sharesRegister - reg::kBlockFirst].controls[0].edit;
    return controls;
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

namespace table_detail {

constexpr std::size_t countOf(bool lists) {
    std::size_t n = 0;
    for (const Control& c : kPageControls) n += c.isList == lists;
    return n;
}

// A name the page's rules use; a name no control has stops the build.
constexpr EditId editNamed(std::string_view objectName) {
    for (const Control& c : kPageControls)
        if (!c.isList && objectName == c.objectName)
            return c.edit;
    throw "no edit of that name";
}
constexpr ListId listNamed(std::string_view objectName) {
    for (const Control& c : kPageControls)
        if (c.isList && objectName == c.objectName)
            return c.list;
    throw "no list of that name";
}

}  // namespace table_detail

inline constexpr std::size_t kEditCount = table_detail::countOf(false);
inline constexpr std::size_t kListCount = table_detail::countOf(true);

// The edits by their place in the reading order, the lists in table order.
inline constexpr std::array<Control, kEditCount> kEdits = [] {
    std::array<Control, kEditCount> out{};
    for (const Control& c : kPageControls)
        if (!c.isList && idx(c.edit) < kEditCount)
            out[idx(c.edit)] = c;
    return out;
}();
inline constexpr std::array<Control, kListCount> kLists = [] {
    std::array<Control, kListCount> out{};
    for (const Control& c : kPageControls)
        if (c.isList && idx(c.list) < kListCount)
            out[idx(c.list)] = c;
    return out;
}();

// The control of an edit or of a list (each is in the table once: checked below).
constexpr const Control& editControl(EditId id) {
    return kEdits[idx(id) < kEditCount ? idx(id) : 0];
}
constexpr const Control& listControl(ListId id) {
    return kLists[idx(id) < kListCount ? idx(id) : 0];
}

inline constexpr EditId EditId::RangeStart = table_detail::editNamed("rangeStartEdit");
inline constexpr EditId EditId::RangeEnd = table_detail::editNamed("rangeEndEdit");
inline constexpr EditId EditId::Address = table_detail::editNamed("addressEdit");
inline constexpr EditId EditId::CurrentDevice = table_detail::editNamed("currentDeviceEdit");
inline constexpr EditId EditId::ProductCode = table_detail::editNamed("productCodeEdit");
inline constexpr EditId EditId::K1Action = table_detail::editNamed("k1ActionEdit");
inline constexpr EditId EditId::K2Action = table_detail::editNamed("k2ActionEdit");
inline constexpr EditId EditId::K1Delay = table_detail::editNamed("k1DelayEdit");
inline constexpr EditId EditId::K2Delay = table_detail::editNamed("k2DelayEdit");
inline constexpr EditId EditId::Density = table_detail::editNamed("densityEdit");
inline constexpr EditId EditId::ZoomEnd = table_detail::editNamed("zoomEndEdit");
inline constexpr EditId EditId::ZoomStart = table_detail::editNamed("zoomStartEdit");
inline constexpr EditId EditId::K1Release = table_detail::editNamed("k1ReleaseEdit");
inline constexpr EditId EditId::K2Release = table_detail::editNamed("k2ReleaseEdit");

inline constexpr ListId ListId::SignalType = table_detail::listNamed("signalTypeList");
inline constexpr ListId ListId::SignalUnit = table_detail::listNamed("signalUnitList");
inline constexpr ListId ListId::OutputType = table_detail::listNamed("outputTypeList");
inline constexpr ListId ListId::PointPosition = table_detail::listNamed("pointPositionList");
inline constexpr ListId ListId::K1Type = table_detail::listNamed("k1TypeList");
inline constexpr ListId ListId::K2Type = table_detail::listNamed("k2TypeList");
inline constexpr ListId ListId::Voltage = table_detail::listNamed("outputVoltageList");
inline constexpr ListId ListId::Current = table_detail::listNamed("currentOutputList");

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
        if (a.isList ? a.choices.empty() || a.unit != Unit::None || a.isInteger
                     : !a.choices.empty() || idx(a.value) >= kEditCount ||
                           editControl(a.value).isInteger != a.isInteger)
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
    return edits == kEditCount && lists == kListCount && kEditCount > 0 && kListCount > 0;
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
                if (hasLine || c.isList || !c.isInteger)
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
                if (c.isInteger || c.isList)
                    return false;
                break;
            case Field::Integer:
                if (!c.isInteger || c.isList)
                    return false;
                break;
        }
        if (row.field != Field::NotWritten && !hasLine)
            return false;
        if (row.holding.isSigned && row.field != Field::Number)
            return false;
        // A number the codec scales by the point position, or in tenths, is a float edit.
        if ((row.scaling != Scaling::None) != (row.field == Field::Number))
            return false;
    }
    return true;
}

static_assert(rowsInRegisterOrder(), "row i must describe register kBlockFirst + i");
static_assert(keysUnique(), "every parameter-file key once");
static_assert(controlsComplete(),
              "every edit and list once on the page, in a slot of its own, its place in the "
              "reading order its own");
static_assert(presetsPaired(), "a preset default for both presets, on a file line");
static_assert(rowsComplete(), "a row lacks what its field needs");

}  // namespace table_detail

}  // namespace config
