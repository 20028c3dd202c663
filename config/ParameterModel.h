#pragma once
// What "The basic configuration" page shows and how its controls depend on each other, without
// any widget: the edits' texts, the page values parsed from them, the lists with their
// selections, and the enable / read-only / visible states. The Qt page mirrors this model; the
// command line uses it to read and write parameter files.
//
// Texts are UTF-8. List selections are indices into the entries (-1: nothing selected).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/ParameterTable.h"
#include "state/AppContext.h"

namespace config {

// The edit's caption on the page ("K1 action:"), which messages about its value begin with.
const char* editCaption(EditId id);

// Integer edits say "请键入一个整数。" when they do not hold a number, the others "请键入一个数。".
bool isIntegerEdit(EditId id);
extern const char* const kNotANumber;
extern const char* const kNotAnInteger;

// A drop-down list without free text.
struct ChoiceList {
    std::vector<std::string> entries;
    int selected = -1;

    std::string text() const;
    // The entry equal to `value` without regard to case; false (selection kept) when none is.
    bool selectExact(std::string_view value);
    // An entry equal to `value` (case ignored) when there is one; otherwise the first entry that
    // begins with `value`, searching from the second entry onward and then the first. False, and
    // the selection kept, when no entry begins with it.
    bool selectString(std::string_view value);
};

// Case-insensitive (ASCII) prefix test used by the list search.
bool startsWithNoCase(std::string_view text, std::string_view prefix);

// The values the page's edits hold, one an edit (two edits may share one: the table says).
class PageValues {
public:
    PageValues();

    float& number(EditId id) { return numbers_[idx(editControl(id).value)]; }
    float number(EditId id) const { return numbers_[idx(editControl(id).value)]; }
    std::int32_t& integer(EditId id) { return integers_[idx(editControl(id).value)]; }
    std::int32_t integer(EditId id) const { return integers_[idx(editControl(id).value)]; }

private:
    std::array<float, kEditCount> numbers_{};
    std::array<std::int32_t, kEditCount> integers_{};
};

struct ReadResult {
    bool ok = true;
    EditId failed = EditId::RangeStart;  // when !ok: the edit that stopped the reading
    std::string message;                 // when !ok: what the operator is told
};

class BasicConfigModel {
public:
    static constexpr int kGroupCount = 6;

    BasicConfigModel();

    ChoiceList& list(ListId id) { return lists[idx(id)]; }
    const ChoiceList& list(ListId id) const { return lists[idx(id)]; }
    std::string& edit(EditId id) { return edits[idx(id)]; }
    const std::string& edit(EditId id) const { return edits[idx(id)]; }

    // Both layouts set the same list selections first; the restricted one then locks what an
    // ordinary user may not change.
    void ShowRestrictedLayout();
    void ShowEnterpriseLayout();

    // A parameter-block answer into the page values and list selections (the edits
    // follow at the next moveValuesToEdits()).
    void DecodeParameterBlock(std::span<const std::uint8_t> answer);
    void moveValuesToEdits();
    // Parses the edits in their order; stops at the first one that does not hold a number,
    // keeping the values read before it and the old values from it on.
    ReadResult readEdits();

    void OnSignalTypeChange();
    void UpdateUnitLabels();
    void ApplyOutputTypeRules();

    void OnSelectAll();
    void OnEmpty();
    // Ticks or unticks the ten address boxes of group g (0..5) by its RangeSelected flag.
    void OnRangeSelect(int g);
    // Ticks the boxes of the online addresses and of the groups that are wholly online.
    void tickOnline(const std::vector<int>& onlineAddresses);

    BasicSettings settings() const;

    std::array<ChoiceList, kListCount> lists;
    std::array<std::string, kEditCount> edits;
    PageValues values;

    // Control states.
    bool enterprise = false;
    bool densityReadOnly = true;
    bool k2Enabled =
        true;  // "K2 switch type:", "K2 action:", "K2 delay value:", "K2 releasing value:"
    bool voltageEnabled = false;
    bool currentEnabled = true;
    std::string unitLabel;  // the eight labels beside values that carry the unit

    std::array<bool, AppContext::kAddressCount> addressTicked{};
    std::array<bool, kGroupCount> groupTicked{};
    std::array<int, kGroupCount> RangeSelected{};

private:
    void setLayoutSelections();
};

// The unit the page selects, and writes into the unit labels, for a signal type.
const char* defaultUnitFor(std::string_view signalType);

}  // namespace config
