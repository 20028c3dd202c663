#include "config/ParameterModel.h"

#include <charconv>
#include <cmath>

#include "base/NumberText.h"
#include "base/Texts.h"
#include "config/ParameterTable.h"
#include "link/ParameterCodes.h"
#include "link/RegisterMap.h"

namespace config {

const char* const kNotANumber = KORV_TR_NOOP("Core", "请键入一个数。");
const char* const kNotAnInteger = KORV_TR_NOOP("Core", "请键入一个整数。");

bool isIntegerEdit(EditId id) {
    return editControl(id).isInteger;
}

const char* editCaption(EditId id) {
    return editControl(id).caption;
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

PageValues::PageValues() {
    for (const Control& c : kEdits) numbers_[idx(c.value)] = c.initial;
}

BasicConfigModel::BasicConfigModel() {
    for (std::size_t i = 0; i < kListCount; ++i) {
        const auto choices = kLists[i].choices;
        lists[i].entries.assign(choices.begin(), choices.end());
    }
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

void BasicConfigModel::DecodeParameterBlock(std::span<const std::uint8_t> answer) {
    const reg::ParameterBlock b = reg::ParameterBlock::fromAnswer(answer);
    const std::optional<float> s = reg::dotScale(b.get(reg::DotPos));
    for (const ParameterRow& row : kParameterTable) {
        const Control& c = row.controls[0];
        const int count = row.holding.isSigned ? b.getSigned(row.reg) : b.get(row.reg);
        switch (row.field) {
            case Field::NotWritten:
            case Field::Integer:
                values.integer(c.edit) = count;
                break;
            case Field::Code:
                if (row.reg == reg::SignalType) {
                    const auto type = reg::signalTypeOfCode(count);
                    if (!type)
                        break;
                    list(c.list).selectExact(reg::signalTypeText(*type));
                    densityReadOnly = *type != reg::SignalKind::Level;
                } else if (auto text = reg::decodeCode(codesOf(row.codes), count)) {
                    // Units without an entry in the list ("cm", "inch", codes without a text)
                    // keep the selection.
                    list(c.list).selectExact(*text);
                }
                break;
            case Field::OutputRange:
                // The code selects in the list it belongs to; the other keeps its selection.
                if (auto text = reg::decodeCode(reg::kOutputRanges, count))
                    list(count == 0 || count == 1 ? ListId::Current : ListId::Voltage)
                        .selectExact(*text);
                break;
            case Field::Number:
                if (row.scaling == Scaling::Tenths)
                    values.number(c.edit) = static_cast<float>(count) * 0.1f;
                else if (s)
                    values.number(c.edit) = static_cast<float>(count) * *s;
                else if (row.reg == reg::RangeStart || row.reg == reg::RangeEnd)
                    // An unknown point position shows the measuring range as counts; the
                    // switch points and the zoom keep what they had.
                    values.number(c.edit) = static_cast<float>(count);
                break;
        }
    }
}

void BasicConfigModel::moveValuesToEdits() {
    for (const Control& c : kEdits)
        edits[idx(c.edit)] = c.isInteger ? num::formatInt(values.integer(c.edit))
                                         : num::formatGeneral(values.number(c.edit));
}

ReadResult BasicConfigModel::readEdits() {
    for (const Control& c : kEdits) {
        const std::string& text = edits[idx(c.edit)];
        if (c.isInteger) {
            const auto v = num::parseInt32(text);
            if (!v)
                return {false, c.edit, kNotAnInteger};
            values.integer(c.edit) = *v;
        } else {
            const auto v = num::parseFloat(text);
            if (!v)
                return {false, c.edit, kNotANumber};
            values.number(c.edit) = *v;
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
    s.RangeStart = values.number(EditId::RangeStart);
    s.RangeEnd = values.number(EditId::RangeEnd);
    s.LiquidDensity = values.integer(EditId::Density);
    s.PointPositionText = list(ListId::PointPosition).text();
    s.SignalTypeText = list(ListId::SignalType).text();
    s.SignalUnitText = list(ListId::SignalUnit).text();
    return s;
}

}  // namespace config
