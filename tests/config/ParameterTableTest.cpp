#include <gtest/gtest.h>

#include <string_view>

#include "config/Download.h"
#include "config/ParameterFile.h"
#include "config/ParameterTable.h"
#include "link/ParameterCodes.h"
#include "link/RegisterMap.h"
#include "link/SerialSettings.h"

using namespace config;

// The table's facts must agree with the codec in link/: a row marked unsigned over a signed
// register would show -1 as 65535 in a read-back.
TEST(ParameterTable, EveryRowAgreesWithTheRegisterCodec) {
    for (const ParameterRow& row : kParameterTable) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.isSigned, reg::registerRange(row.reg).min < 0);
        EXPECT_EQ(reg::fieldMultiplier(row.reg, 100), row.scaling == Scaling::Tenths ? 10 : 100);
        EXPECT_EQ(parameterRow(row.reg), &row);
    }
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
            m.values.*row.number = static_cast<float>(n++);
        if (row.field == Field::Integer)
            m.values.*row.integer = n++;
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
                      reg::encodeText(codesOf(row.codes), m.list(row.lines[0].list).text()));
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
