#include <gtest/gtest.h>

#include "config/ParameterModel.h"
#include "link/RegisterMap.h"

using namespace config;

namespace {

// A 43-byte answer of device 5 with the given registers (index r - 3).
std::vector<std::uint8_t> answer(const std::map<int, std::uint16_t>& regs) {
    reg::ParameterBlock b;
    b.regs[0] = 5;
    for (auto [r, v] : regs) b.regs[static_cast<std::size_t>(r - 3)] = v;
    return b.toAnswer(5);
}

}  // namespace

TEST(ParameterDecoding, DotPositionTwoScalesRangeAndSwitchValues) {
    BasicConfigModel m;
    const auto a = answer({{6, 0}, {7, 160}, {9, 2}, {11, 125}, {12, 0xFFF3}, {19, 0xFF38}});
    m.DecodeParameterBlock(a);
    m.moveValuesToEdits();
    EXPECT_EQ(m.edit(EditId::RangeStart), "0");
    EXPECT_EQ(m.edit(EditId::RangeEnd), "1.6");
    EXPECT_EQ(m.edit(EditId::K1Action), "1.25");
    EXPECT_EQ(m.edit(EditId::K1Release), "-0.13");
    EXPECT_EQ(m.edit(EditId::ZoomStart), "-2");
    EXPECT_EQ(m.list(ListId::PointPosition).text(), "00.00");
    EXPECT_EQ(m.edit(EditId::Address), "5");
    EXPECT_EQ(m.edit(EditId::CurrentDevice), "5");
}

TEST(ParameterDecoding, UnknownDotPositionKeepsRangeUnscaledAndSwitchValues) {
    BasicConfigModel m;
    m.values.number(EditId::K1Action) = 7.5f;
    m.values.number(EditId::K2Release) = -3;
    m.DecodeParameterBlock(answer({{7, 160}, {9, 7}, {11, 99}}));
    EXPECT_FLOAT_EQ(m.values.number(EditId::RangeEnd), 160);
    EXPECT_FLOAT_EQ(m.values.number(EditId::K1Action), 7.5f);
    EXPECT_FLOAT_EQ(m.values.number(EditId::K2Release), -3);
    EXPECT_EQ(m.list(ListId::PointPosition).text(), "00.00");  // the layout's selection
}

TEST(ParameterDecoding, SignedAndUnsignedRegistersDifferForTheSamePattern) {
    BasicConfigModel m;
    m.DecodeParameterBlock(answer({{6, 0xFF38}, {7, 0xFF38}, {9, 1}, {13, 25}}));
    EXPECT_FLOAT_EQ(m.values.number(EditId::RangeStart), -20.0f);
    EXPECT_NEAR(m.values.number(EditId::RangeEnd), 6533.6f, 0.001);
    EXPECT_NEAR(m.values.number(EditId::K1Delay), 2.5f, 1e-6);
}

TEST(ParameterDecoding, UnitCodesWithoutListEntryKeepTheSelection) {
    BasicConfigModel m;
    for (int code : {5, 6, 10, 11, 13}) {
        m.DecodeParameterBlock(answer({{5, static_cast<std::uint16_t>(code)}}));
        EXPECT_EQ(m.list(ListId::SignalUnit).text(), "MPa") << code;
    }
    m.DecodeParameterBlock(answer({{5, 0}}));
    EXPECT_EQ(m.list(ListId::SignalUnit).text(), "kPa");
    // "m" must not be taken for "MPa", which begins with it.
    m.DecodeParameterBlock(answer({{5, 9}}));
    EXPECT_EQ(m.list(ListId::SignalUnit).text(), "m");
    m.DecodeParameterBlock(answer({{5, 7}}));
    EXPECT_EQ(m.list(ListId::SignalUnit).text(), "℃");
}

TEST(ParameterDecoding, SignalTypeSetsDensityStateAndOutputRangeItsList) {
    BasicConfigModel m;
    m.DecodeParameterBlock(answer({{4, 2}, {18, 3}}));
    EXPECT_EQ(m.list(ListId::SignalType).text(), "level");
    EXPECT_FALSE(m.densityReadOnly);
    EXPECT_EQ(m.list(ListId::Voltage).text(), "0--10V");
    m.DecodeParameterBlock(answer({{4, 9}, {18, 1}, {8, 0}}));
    EXPECT_EQ(m.list(ListId::SignalType).text(), "level");  // unknown code changes nothing
    EXPECT_EQ(m.list(ListId::Current).text(), "4--20mA");
    m.DecodeParameterBlock(answer({{4, 1}}));
    EXPECT_TRUE(m.densityReadOnly);
}

TEST(EditingRules, OutputTypeEnablesOnlyTheOutputsItHas) {
    BasicConfigModel m;
    m.list(ListId::OutputType).selectExact("K1");
    m.ApplyOutputTypeRules();
    EXPECT_FALSE(m.k2Enabled);
    EXPECT_FALSE(m.voltageEnabled);
    EXPECT_FALSE(m.currentEnabled);
    m.list(ListId::OutputType).selectExact("K1+K2");
    m.ApplyOutputTypeRules();
    EXPECT_TRUE(m.k2Enabled);
    EXPECT_FALSE(m.currentEnabled);
    m.list(ListId::OutputType).selectExact("K1+1V");
    m.ApplyOutputTypeRules();
    EXPECT_FALSE(m.k2Enabled);
    EXPECT_TRUE(m.voltageEnabled);
    EXPECT_FALSE(m.currentEnabled);
    m.list(ListId::OutputType).selectExact("2K+1A");
    m.ApplyOutputTypeRules();
    EXPECT_TRUE(m.k2Enabled);
    EXPECT_FALSE(m.voltageEnabled);
    EXPECT_TRUE(m.currentEnabled);
}

TEST(EditingRules, SignalTypeSelectsAUnitThatMatchesTheLabels) {
    BasicConfigModel m;
    const std::pair<const char*, const char*> cases[] = {
        {"Temperature", "℃"}, {"level", "m"}, {"Pressure", "MPa"}};
    for (auto [type, unit] : cases) {
        m.list(ListId::SignalType).selectExact(type);
        m.OnSignalTypeChange();
        EXPECT_EQ(m.list(ListId::SignalUnit).text(), unit);
        EXPECT_EQ(m.unitLabel, unit);
        EXPECT_EQ(m.densityReadOnly, std::string(type) != "level");
    }
}

TEST(EditingRules, ReadingStopsAtTheFirstBadNumberKeepingEarlierValues) {
    BasicConfigModel m;
    m.ShowEnterpriseLayout();
    m.edit(EditId::RangeStart) = "-5";
    m.edit(EditId::RangeEnd) = "12.5";
    m.edit(EditId::Address) = "12";
    m.edit(EditId::CurrentDevice) = "5";
    m.edit(EditId::ProductCode) = "1.5";  // not an integer
    m.edit(EditId::K1Action) = "3";
    const ReadResult r = m.readEdits();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failed, EditId::ProductCode);
    EXPECT_EQ(r.message, "请键入一个整数。");
    EXPECT_FLOAT_EQ(m.values.number(EditId::RangeStart), -5);
    EXPECT_FLOAT_EQ(m.values.number(EditId::RangeEnd), 12.5f);
    EXPECT_EQ(m.values.integer(EditId::Address), 5);  // "Current device:" is read after "Address:"
    EXPECT_FLOAT_EQ(m.values.number(EditId::K1Action), 0);  // after the failing edit: kept

    m.edit(EditId::ProductCode) = "70000";
    m.edit(EditId::K2Delay) = "abc";
    const ReadResult r2 = m.readEdits();
    EXPECT_EQ(r2.failed, EditId::K2Delay);
    EXPECT_EQ(r2.message, "请键入一个数。");
    EXPECT_EQ(m.values.integer(EditId::ProductCode), 70000);
    EXPECT_FLOAT_EQ(m.values.number(EditId::K1Action), 3);
}

TEST(ListSelection, SelectStringSearchesFromTheSecondEntryThenTheFirst) {
    ChoiceList l{{"level", "Pressure", "Temperature"}, 0};
    EXPECT_TRUE(l.selectString(""));
    EXPECT_EQ(l.selected, 1);  // the empty value begins every entry
    EXPECT_TRUE(l.selectString("LEV"));
    EXPECT_EQ(l.text(), "level");
    EXPECT_FALSE(l.selectString("液位"));
    EXPECT_EQ(l.text(), "level");
}

TEST(AddressBoxes, GroupsToggleByTheirFlagNotByTheirTick) {
    BasicConfigModel m;
    std::vector<int> online;
    for (int a = 11; a <= 20; ++a) online.push_back(a);
    online.push_back(33);
    m.tickOnline(online);
    EXPECT_TRUE(m.groupTicked[1]);
    EXPECT_FALSE(m.groupTicked[3]);
    EXPECT_TRUE(m.addressTicked[32]);
    EXPECT_EQ(m.RangeSelected[1], 0);
    m.OnRangeSelect(1);  // flag 0: ticks the ten boxes
    EXPECT_EQ(m.RangeSelected[1], 1);
    m.OnRangeSelect(1);
    EXPECT_FALSE(m.addressTicked[10]);
    m.OnSelectAll();
    EXPECT_TRUE(m.addressTicked[59] && m.groupTicked[5] && m.RangeSelected[5] == 1);
    m.OnEmpty();
    EXPECT_FALSE(m.addressTicked[0] || m.groupTicked[0] || m.RangeSelected[0]);
}
