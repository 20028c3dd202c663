#include <gtest/gtest.h>

#include <map>
#include <string_view>

#include "config/Download.h"
#include "config/ParameterFile.h"
#include "config/ParameterTable.h"
#include "link/ParameterCodes.h"
#include "link/RegisterMap.h"
#include "link/SerialSettings.h"

using namespace config;

// How the devices hold each register: a row marked unsigned over a signed register would show
// -1 as 65535 in a read-back, one truncated instead of rounded would send 1.25 as 124.
TEST(ParameterTable, EveryRowHoldsItsRegisterAsTheDevicesDo) {
    using reg::Holds;
    const std::map<std::uint16_t, reg::Holding> scaled = {
        {reg::RangeStart, {true, Holds::Truncated}},  {reg::RangeEnd, {false, Holds::Truncated}},
        {reg::K1Action, {true, Holds::Rounded}},      {reg::K1Release, {true, Holds::Rounded}},
        {reg::K1Delay, {false, Holds::Tenths}},       {reg::K2Action, {true, Holds::Rounded}},
        {reg::K2Release, {true, Holds::Rounded}},     {reg::K2Delay, {false, Holds::Tenths}},
        {reg::RangeZStart, {true, Holds::Truncated}}, {reg::RangeZEnd, {false, Holds::Truncated}},
    };
    for (const ParameterRow& row : kParameterTable) {
        SCOPED_TRACE(row.name);
        const auto it = scaled.find(row.reg);
        const reg::Holding expected = it == scaled.end() ? reg::Holding{} : it->second;
        EXPECT_EQ(row.holding.isSigned, expected.isSigned);
        EXPECT_EQ(row.holding.holds, expected.holds);
        EXPECT_EQ(row.scaling, expected.holds == Holds::Tenths  ? Scaling::Tenths
                               : expected.holds == Holds::Count ? Scaling::None
                                                                : Scaling::Point);
        EXPECT_EQ(parameterRow(row.reg), &row);
        // What the page edits as a scaled number the register holds scaled, and nothing else.
        EXPECT_EQ(row.field == Field::Number, expected.holds != Holds::Count);
    }
    EXPECT_EQ(kParameterTable.size(), reg::kBlockCount);
    EXPECT_EQ(parameterRow(reg::kBlockFirst - 1), nullptr);
    EXPECT_EQ(parameterRow(reg::kBlockFirst + reg::kBlockCount), nullptr);
}

// Each row's control, given a distinct value, lands at its own register in the batch frame and
// comes back from the parameter file into the same control.
TEST(ParameterTable, EveryRowRoundTripsThroughTheFrameAndTheFile) {
    BasicConfigModel m;
    m.ShowEnterpriseLayout();
    m.list(ListId::OutputType).selectExact("2K+1A");
    m.list(ListId::Current).selectExact("4--20mA");
    m.list(ListId::PointPosition).selectExact("0000");
    int n = 1;
    for (const ParameterRow& row : kParameterTable) {
        if (row.field == Field::Number)
            m.values.number(row.controls[0].edit) = static_cast<float>(n++);
        if (row.field == Field::Integer)
            m.values.integer(row.controls[0].edit) = n++;
    }
    m.moveValuesToEdits();
    const Frame f = batchDownloadFrame(m);
    ASSERT_FALSE(f.refusal);
    const auto at = [&](std::uint16_t r) {
        const std::size_t i = 7 + 2 * (r - reg::SignalType);
        return reg::joinU16(f.bytes.at(i), f.bytes.at(i + 1));
    };
    n = 1;
    for (const ParameterRow& row : kParameterTable) {
        SCOPED_TRACE(row.name);
        if (row.field == Field::Number || row.field == Field::Integer) {
            const int tenths = row.scaling == Scaling::Tenths ? 10 : 1;
            EXPECT_EQ(at(row.reg), n++ * tenths);
        } else if (row.field == Field::Code) {
            EXPECT_EQ(at(row.reg),
                      reg::encodeText(codesOf(row.codes), m.list(row.controls[0].list).text()));
        }
    }
    EXPECT_EQ(at(reg::OutputRange), 1);  // "4--20mA"

    const auto values = parameterFileValues(m);
    const ParameterFileRead read = decodeParameterFile(encodeParameterFile(values));
    ASSERT_TRUE(read.ok()) << read.problem.text();
    BasicConfigModel back;
    back.ShowEnterpriseLayout();
    applyParameterFile(back, read.values);
    EXPECT_EQ(parameterFileValues(back), values);
}

TEST(ParameterTable, CodedTextsMapBothWays) {
    for (const reg::Code& c : reg::kSignalTypes) {
        const auto t = reg::signalTypeOf(c.text);
        ASSERT_TRUE(t) << c.text;
        EXPECT_STREQ(reg::signalTypeText(*t), c.text);
        EXPECT_EQ(reg::signalTypeOfCode(c.code), t);
    }
    for (const reg::Code& c : reg::kOutputTypes) {
        const auto t = reg::outputTypeOf(c.text);
        ASSERT_TRUE(t) << c.text;
        EXPECT_STREQ(reg::outputTypeText(*t), c.text);
        const std::string_view text = c.text;
        EXPECT_EQ(reg::hasCurrentOutput(c.text), text == "K1+1A" || text == "2K+1A") << text;
        EXPECT_EQ(reg::hasVoltageOutput(c.text), text == "K1+1V" || text == "2K+1V") << text;
        EXPECT_EQ(reg::outputParts(*t).k2, text == "K1+K2" || text.starts_with("2K+")) << text;
    }
    EXPECT_FALSE(reg::signalTypeOf("Level"));  // exact, case included
    EXPECT_FALSE(reg::outputTypeOf("k1"));
    EXPECT_FALSE(reg::signalTypeOfCode(3));
    for (Parity p : {Parity::None, Parity::Odd, Parity::Even})
        EXPECT_EQ(parityOf(parityText(p)), p);
    EXPECT_FALSE(parityOf("none"));
}

// Each control of the table is the model's: its list offers the row's entries, and its edit is
// read into and shown from the page value the row names (an edit wired to another value, or
// parsed as the wrong kind, fails here).
TEST(ParameterTable, EveryControlIsTheModelsListOrEditOfItsValue) {
    BasicConfigModel m;
    for (std::size_t i = 0; i < kListCount; ++i) {
        const Control& c = listControl(listAt(i));
        SCOPED_TRACE(c.caption);
        EXPECT_TRUE(c.isList);
        EXPECT_EQ(c.list, listAt(i));
        EXPECT_EQ(m.lists[i].entries, std::vector<std::string>(c.choices.begin(), c.choices.end()));
    }
    for (std::size_t i = 0; i < kEditCount; ++i) {
        const auto id = editAt(i);
        const Control& c = editControl(id);
        SCOPED_TRACE(c.caption);
        EXPECT_FALSE(c.isList);
        EXPECT_EQ(c.edit, id);
        EXPECT_STREQ(editCaption(id), c.caption);
        EXPECT_EQ(isIntegerEdit(id), c.isInteger);
    }
    // Each edit alone, so the address's two edits do not hide each other.
    for (std::size_t i = 0; i < kEditCount; ++i) {
        const auto id = editAt(i);
        const Control& c = editControl(id);
        SCOPED_TRACE(c.caption);
        BasicConfigModel probe;
        probe.values = PageValues{};
        probe.moveValuesToEdits();
        probe.edit(id) = c.isInteger ? "4321" : "12.5";
        // The other edit of the same value is read after or before it: give it the same text.
        for (std::size_t j = 0; j < kEditCount; ++j) {
            if (j != i && editControl(editAt(j)).value == c.value)
                probe.edit(editAt(j)) = probe.edit(id);
        }
        ASSERT_TRUE(probe.readEdits().ok);
        if (c.isInteger)
            EXPECT_EQ(probe.values.integer(id), 4321);
        else
            EXPECT_FLOAT_EQ(probe.values.number(id), 12.5f);
        probe.edit(id) = "x";
        const ReadResult bad = probe.readEdits();
        EXPECT_FALSE(bad.ok);
        EXPECT_EQ(bad.failed, id);
        EXPECT_EQ(bad.message, c.isInteger ? kNotAnInteger : kNotANumber);
        probe.moveValuesToEdits();
        EXPECT_EQ(probe.edit(id), c.isInteger ? "4321" : "12.5");
    }
}

// A preset fills exactly the file lines the table gives defaults, with those defaults, and
// leaves every other control as it was.
TEST(ParameterTable, PresetsFillTheLinesTheTableGivesDefaults) {
    for (Preset preset : {Preset::Level, Preset::Temperature}) {
        const bool level = preset == Preset::Level;
        BasicConfigModel m;
        m.ShowEnterpriseLayout();
        m.edit(EditId::Density) = "777";
        m.edit(EditId::ProductCode) = "31";
        BasicConfigModel expected = m;
        for (const FileLine& line : kParameterFileLines) {
            if (!line.levelPreset)
                continue;
            const char* value = level ? line.levelPreset : line.temperaturePreset;
            if (line.isList)
                expected.list(line.list).selectString(value);
            else
                expected.edit(line.edit) = value;
        }
        applyPreset(m, IniFile::parse(""), preset);
        for (std::size_t i = 0; i < kParameterLineCount; ++i) {
            if (i == 0)
                continue;  // the signal type: the preset itself
            SCOPED_TRACE(kParameterFileKeys[i]);
            EXPECT_EQ(parameterFileValues(m)[i], parameterFileValues(expected)[i]);
        }
        EXPECT_EQ(m.edit(EditId::Density), "777");
        EXPECT_EQ(m.edit(EditId::ProductCode), "31");
        EXPECT_EQ(m.edit(EditId::RangeStart), level ? "0" : "-20");
        EXPECT_EQ(m.edit(EditId::ZoomEnd), "100");
    }
}
