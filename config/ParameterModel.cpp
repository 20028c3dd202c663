#include "config/ParameterModel.h"

#include <charconv>
#include <cmath>

#include "base/NumberText.h"
#include "base/Texts.h"
#include "link/ParameterCodes.h"
#include "link/RegisterMap.h"

namespace config {

const char* const kNotANumber = KORV_TR_NOOP("Core", "请键入一个数。");
const char* const kNotAnInteger = KORV_TR_NOOP("Core", "请键入一个整数。");

bool isIntegerEdit(EditId id) {
    return id == EditId::Address || id == EditId::CurrentDevice || id == EditId::ProductCode ||
           id == EditId::Density;
}

const char* editCaption(EditId id) {
    // In the order of EditId.
    static constexpr const char* kCaptions[kEditCount] = {
        KORV_TR_NOOP("Core", "Range start:"),
        KORV_TR_NOOP("Core", "Range end:"),
        KORV_TR_NOOP("Core", "Address:"),
        KORV_TR_NOOP("Core", "Current device:"),
        KORV_TR_NOOP("Core", "Product code:"),
        KORV_TR_NOOP("Core", "K1 action:"),
        KORV_TR_NOOP("Core", "K2 action:"),
        KORV_TR_NOOP("Core", "K1 delay value:"),
        KORV_TR_NOOP("Core", "K2 delay value:"),
        KORV_TR_NOOP("Core", "liquid density:"),
        KORV_TR_NOOP("Core", "Zoom range of termination:"),
        KORV_TR_NOOP("Core", "Initial zoom range:"),
        KORV_TR_NOOP("Core", "K1 releasing value:"),
        KORV_TR_NOOP("Core", "K2 releasing value:")};
    return kCaptions[idx(id)];
}

namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && startsWithNoCase(a, b);
}

}  // namespace

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lowerAscii(text[i]) != lowerAscii(prefix[i]))
            return false;
    return true;
}

std::string ChoiceList::text() const {
    if (selected < 0 || static_cast<std::size_t>(selected) >= entries.size())
        return {};
    return entries[static_cast<std::size_t>(selected)];
}

bool ChoiceList::selectExact(std::string_view value) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (equalNoCase(entries[i], value)) {
            selected = static_cast<int>(i);
            return true;
        }
    return false;
}

// The exact match comes first so that "m" selects "m" rather than "MPa", which a plain prefix
// search from the second entry would find first.
bool ChoiceList::selectString(std::string_view value) {
    if (selectExact(value))
        return true;
    const std::size_t n = entries.size();
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = (k + 1) % n;
        if (startsWithNoCase(entries[i], value)) {
            selected = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

const char* defaultUnitFor(std::string_view signalType) {
    const auto type = reg::signalTypeOf(signalType);
    if (!type)
        return nullptr;
    switch (*type) {
        case reg::SignalKind::Pressure:
            return "MPa";
        case reg::SignalKind::Temperature:
            return "℃";
        case reg::SignalKind::Level:
            return "m";  // the list has no "cm"; "m" is the level unit it offers
    }
    return nullptr;
}

BasicConfigModel::BasicConfigModel() {
    list(ListId::SignalType).entries = {KORV_TR_NOOP("Core", "level"),
                                        KORV_TR_NOOP("Core", "Pressure"),
                                        KORV_TR_NOOP("Core", "Temperature")};
    list(ListId::SignalUnit).entries = {"℃", "℉", "MPa", "kPa", "bar", "psi", "kgf/cm2", "mm", "m"};
    list(ListId::OutputType).entries = {"K1", "K1+K2", "K1+1A", "K1+1V", "2K+1A", "2K+1V"};
    list(ListId::PointPosition).entries = {"0.000", "00.00", "000.0", "0000"};
    const std::vector<std::string> switches = {KORV_TR_NOOP("Core", "Hysteresis normally close"),
                                               KORV_TR_NOOP("Core", "Hysteresis normally open"),
                                               KORV_TR_NOOP("Core", "The window close"),
                                               KORV_TR_NOOP("Core", "The window open")};
    list(ListId::K1Type).entries = switches;
    list(ListId::K2Type).entries = switches;
    list(ListId::Voltage).entries = {"0--10V", "0--5V"};
    list(ListId::Current).entries = {"0--20mA", "4--20mA"};
    moveValuesToEdits();
    ShowRestrictedLayout();
}

void BasicConfigModel::setLayoutSelections() {
    list(ListId::SignalType).selected = 1;  // "Pressure"
    list(ListId::OutputType).selected = 0;  // "K1"
    list(ListId::K1Type).selected = 1;      // "Hysteresis normally open"
    list(ListId::K2Type).selected = 1;
    list(ListId::SignalUnit)
        .selectExact(defaultUnitFor(reg::signalTypeText(reg::SignalKind::Pressure)));
    list(ListId::PointPosition).selected = 1;  // "00.00"
    list(ListId::Voltage).selected = 0;        // "0--10V"
    list(ListId::Current).selected = 0;        // "0--20mA"
    voltageEnabled = false;
    UpdateUnitLabels();
}

void BasicConfigModel::ShowRestrictedLayout() {
    setLayoutSelections();
    enterprise = false;
    densityReadOnly = true;
}

void BasicConfigModel::ShowEnterpriseLayout() {
    setLayoutSelections();
    enterprise = true;
}

void BasicConfigModel::DecodeParameterBlock(const std::uint8_t* answer) {
    const reg::ParameterBlock b = reg::ParameterBlock::fromAnswer(answer);
    auto selectCode = [](ChoiceList& l, const auto& table, int code) {
        if (auto text = reg::decodeCode(table, code))
            l.selectExact(*text);
    };

    values.address = b.get(reg::Address);

    const int signalCode = b.get(reg::SignalType);
    if (const auto type = reg::signalTypeOfCode(signalCode)) {
        list(ListId::SignalType).selectExact(reg::signalTypeText(*type));
        densityReadOnly = *type != reg::SignalKind::Level;
    }
    // Units without an entry in the list ("cm", "inch", codes without a text) keep the selection.
    selectCode(list(ListId::SignalUnit), reg::kSignalUnits, b.get(reg::SignalUnit));

    values.rangeStart = static_cast<float>(b.getSigned(reg::RangeStart));
    values.rangeEnd = static_cast<float>(b.get(reg::RangeEnd));
    selectCode(list(ListId::OutputType), reg::kOutputTypes, b.get(reg::OutputType));

    const int dotPos = b.get(reg::DotPos);
    if (const auto s = reg::dotScale(dotPos)) {
        selectCode(list(ListId::PointPosition), reg::kDotPositions, dotPos);
        if (dotPos != 0) {
            values.rangeStart *= *s;
            values.rangeEnd *= *s;
        }
        values.zoomStart = static_cast<float>(b.getSigned(reg::RangeZStart)) * *s;
        values.zoomEnd = static_cast<float>(b.get(reg::RangeZEnd)) * *s;
        values.k1Action = static_cast<float>(b.getSigned(reg::K1Action)) * *s;
        values.k1Release = static_cast<float>(b.getSigned(reg::K1Release)) * *s;
        values.k2Action = static_cast<float>(b.getSigned(reg::K2Action)) * *s;
        values.k2Release = static_cast<float>(b.getSigned(reg::K2Release)) * *s;
    }

    selectCode(list(ListId::K1Type), reg::kSwitchTypes, b.get(reg::K1Type));
    values.k1Delay = static_cast<float>(b.get(reg::K1Delay)) * 0.1f;
    selectCode(list(ListId::K2Type), reg::kSwitchTypes, b.get(reg::K2Type));
    values.k2Delay = static_cast<float>(b.get(reg::K2Delay)) * 0.1f;

    const int range = b.get(reg::OutputRange);
    if (range == 0 || range == 1)
        selectCode(list(ListId::Current), reg::kOutputRanges, range);
    else if (range == 2 || range == 3)
        selectCode(list(ListId::Voltage), reg::kOutputRanges, range);

    values.density = b.get(reg::Density);
}

void BasicConfigModel::moveValuesToEdits() {
    edit(EditId::RangeStart) = num::formatGeneral(values.rangeStart);
    edit(EditId::RangeEnd) = num::formatGeneral(values.rangeEnd);
    edit(EditId::Address) = num::formatInt(values.address);
    edit(EditId::CurrentDevice) = num::formatInt(values.address);
    edit(EditId::ProductCode) = num::formatInt(values.productCode);
    edit(EditId::K1Action) = num::formatGeneral(values.k1Action);
    edit(EditId::K2Action) = num::formatGeneral(values.k2Action);
    edit(EditId::K1Delay) = num::formatGeneral(values.k1Delay);
    edit(EditId::K2Delay) = num::formatGeneral(values.k2Delay);
    edit(EditId::Density) = num::formatInt(values.density);
    edit(EditId::ZoomEnd) = num::formatGeneral(values.zoomEnd);
    edit(EditId::ZoomStart) = num::formatGeneral(values.zoomStart);
    edit(EditId::K1Release) = num::formatGeneral(values.k1Release);
    edit(EditId::K2Release) = num::formatGeneral(values.k2Release);
}

ReadResult BasicConfigModel::readEdits() {
    float* floats[kEditCount] = {
        &values.rangeStart, &values.rangeEnd,  nullptr,           nullptr,          nullptr,
        &values.k1Action,   &values.k2Action,  &values.k1Delay,   &values.k2Delay,  nullptr,
        &values.zoomEnd,    &values.zoomStart, &values.k1Release, &values.k2Release};
    for (std::size_t i = 0; i < kEditCount; ++i) {
        const auto id = static_cast<EditId>(i);
        if (isIntegerEdit(id)) {
            const auto v = num::parseInt32(edits[i]);
            if (!v)
                return {false, id, kNotAnInteger};
            if (id == EditId::ProductCode)
                values.productCode = *v;
            else if (id == EditId::Density)
                values.density = *v;
            else
                values.address = *v;
        } else {
            const auto v = num::parseFloat(edits[i]);
            if (!v)
                return {false, id, kNotANumber};
            *floats[i] = *v;
        }
    }
    return {};
}

void BasicConfigModel::OnSignalTypeChange() {
    const std::string type = list(ListId::SignalType).text();
    const char* unit = defaultUnitFor(type);
    if (!unit)
        return;
    list(ListId::SignalUnit).selectExact(unit);
    UpdateUnitLabels();
    densityReadOnly = reg::signalTypeOf(type) != reg::SignalKind::Level;
}

void BasicConfigModel::UpdateUnitLabels() {
    unitLabel = list(ListId::SignalUnit).text();
}

void BasicConfigModel::ApplyOutputTypeRules() {
    // A text that names no output type leaves every control enabled.
    const auto type = reg::outputTypeOf(list(ListId::OutputType).text());
    const reg::OutputParts parts =
        type ? reg::outputParts(*type) : reg::OutputParts{true, true, true};
    k2Enabled = parts.k2;
    currentEnabled = parts.current;
    voltageEnabled = parts.voltage;
}

void BasicConfigModel::OnSelectAll() {
    addressTicked.fill(true);
    groupTicked.fill(true);
    RangeSelected.fill(1);
}

void BasicConfigModel::OnEmpty() {
    addressTicked.fill(false);
    groupTicked.fill(false);
    RangeSelected.fill(0);
}

void BasicConfigModel::OnRangeSelect(int g) {
    if (g < 0 || g >= kGroupCount)
        return;
    const bool tick = RangeSelected[static_cast<std::size_t>(g)] == 0;
    for (int a = 10 * g; a < 10 * g + 10; ++a) addressTicked[static_cast<std::size_t>(a)] = tick;
    RangeSelected[static_cast<std::size_t>(g)] = tick ? 1 : 0;
}

void BasicConfigModel::tickOnline(const std::vector<int>& online) {
    std::array<bool, AppContext::kAddressCount> on{};
    for (int a : online)
        if (a >= 1 && a <= AppContext::kAddressCount) {
            on[static_cast<std::size_t>(a - 1)] = true;
            addressTicked[static_cast<std::size_t>(a - 1)] = true;
        }
    for (int g = 0; g < kGroupCount; ++g) {
        bool all = true;
        for (int a = 10 * g; a < 10 * g + 10; ++a) all = all && on[static_cast<std::size_t>(a)];
        if (all)
            groupTicked[static_cast<std::size_t>(g)] = true;
    }
}

BasicSettings BasicConfigModel::settings() const {
    BasicSettings s;
    s.RangeStart = values.rangeStart;
    s.RangeEnd = values.rangeEnd;
    s.LiquidDensity = values.density;
    s.PointPositionText = list(ListId::PointPosition).text();
    s.SignalTypeText = list(ListId::SignalType).text();
    s.SignalUnitText = list(ListId::SignalUnit).text();
    return s;
}

}  // namespace config
