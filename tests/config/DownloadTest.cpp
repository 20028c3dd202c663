#include <gtest/gtest.h>

#include "config/Download.h"
#include "link/ModbusCrc16.h"
#include "tests/support/TestBus.h"

using namespace config;

namespace {

BasicConfigModel modelWith(const char* dot) {
    BasicConfigModel m;
    m.ShowEnterpriseLayout();
    m.list(ListId::PointPosition).selectExact(dot);
    return m;
}

std::uint16_t regAt(const Frame& frame, int firstReg, int r) {
    const std::size_t at = 7 + 2 * static_cast<std::size_t>(r - firstReg);
    return static_cast<std::uint16_t>(frame.bytes.at(at) << 8 | frame.bytes.at(at + 1));
}

// A 43-byte answer of device 5 with the given registers (index r - 3).
std::vector<std::uint8_t> answer(const std::map<int, std::uint16_t>& regs) {
    reg::ParameterBlock b;
    b.regs[0] = 5;
    for (auto [r, v] : regs) b.regs[static_cast<std::size_t>(r - 3)] = v;
    return b.toAnswer(5);
}

}  // namespace

TEST(DownloadEncoding, ActionsRoundHalfAwayFromZeroOnlyWithADecimalPoint) {
    auto m = modelWith("00.00");
    m.values.number(EditId::K1Action) = 0.125f;
    m.values.number(EditId::K2Action) = -0.125f;
    m.values.number(EditId::K1Release) = 1.255f;  // held slightly below 1.255
    auto f = singleDownloadFrame(3, m);
    EXPECT_EQ(regAt(f, 10, 11), 13);
    EXPECT_EQ(regAt(f, 10, 15), 0xFFF3);
    EXPECT_EQ(regAt(f, 10, 12), 125);
    m = modelWith("0000");
    m.values.number(EditId::K1Action) = 12.7f;
    EXPECT_EQ(regAt(singleDownloadFrame(3, m), 10, 11), 12);
}

TEST(DownloadEncoding, RangeTruncatesAndDelaysCountTenths) {
    auto m = modelWith("000.0");
    m.values.number(EditId::RangeEnd) = 12.5f;
    m.values.number(EditId::K1Delay) = 2.5f;
    m.values.number(EditId::K2Delay) =
        0.7f;  // a hair below 0.7 as a float, still the 7 tenths the page shows
    auto f = batchDownloadFrame(m);
    EXPECT_EQ(regAt(f, 4, 7), 125);
    EXPECT_EQ(regAt(f, 4, 13), 25);
    EXPECT_EQ(regAt(f, 4, 17), 7);
    m.values.number(EditId::RangeEnd) = 6553.5f;
    m.values.number(EditId::K1Delay) = 6553.5f;
    f = batchDownloadFrame(m);
    EXPECT_EQ(regAt(f, 4, 7), 0xFFFF);
    EXPECT_EQ(regAt(f, 4, 13), 0xFFFF);
}

// Every value the page can show for a register, read back from its edit as the page reads it,
// encodes to that register: truncating x * s lost one unit for -1.15, 1.15 or 0.7 s.
TEST(DownloadEncoding, EveryValueShownForARegisterEncodesToThatRegister) {
    BasicConfigModel m = modelWith("00.00");
    const int numberRegs[] = {6, 7, 11, 12, 13, 15, 16, 17, 19, 20};
    reg::ParameterBlock b;
    b.regs[0] = 5;
    for (std::uint16_t dot = 0; dot < 4; ++dot) {
        b.regs[reg::DotPos - 3] = dot;
        int mismatches = 0;
        for (std::uint32_t v = 0; v <= 0xFFFF && mismatches < 5; ++v) {
            for (int r : numberRegs)
                b.regs[static_cast<std::size_t>(r - 3)] = static_cast<std::uint16_t>(v);
            const auto a = b.toAnswer(5);
            m.DecodeParameterBlock(a);
            m.moveValuesToEdits();
            ASSERT_TRUE(m.readEdits().ok);
            const Frame f = batchDownloadFrame(m);
            ASSERT_FALSE(f.refusal)
                << f.refusal->message.text() << " at " << v << ", dotPos " << dot;
            for (int r : numberRegs)
                if (regAt(f, 4, r) != v) {
                    ADD_FAILURE() << "register " << r << " = " << v << " at dotPos " << dot
                                  << " came back as " << regAt(f, 4, r);
                    ++mismatches;
                }
        }
    }
}

TEST(DownloadEncoding, OutputRangeFollowsTheOutputType) {
    auto m = modelWith("00.00");
    m.list(ListId::Current).selectExact("4--20mA");
    m.list(ListId::Voltage).selectExact("0--5V");
    m.list(ListId::OutputType).selectExact("K1+K2");
    EXPECT_EQ(outputRangeCode(m), 0);
    m.list(ListId::OutputType).selectExact("2K+1A");
    EXPECT_EQ(outputRangeCode(m), 1);
    m.list(ListId::OutputType).selectExact("K1+1V");
    EXPECT_EQ(outputRangeCode(m), 2);
    // "kPa" is not table B's "KPa": code 0 through the default, which is its code.
    m.list(ListId::SignalUnit).selectExact("kPa");
    EXPECT_EQ(regAt(batchDownloadFrame(m), 4, 5), 0);
}

// Density 70000 went out as 4464, 3e38 and 1e30 as whatever an undefined conversion gave.
TEST(DownloadEncoding, ANumberItsRegisterCannotHoldIsRefusedNamingFieldAndRange) {
    struct Case {
        const char* dot;
        EditId edit;
        const char* text;
        bool inSwitchBlock;  // registers 10..21, which both downloads carry
        const char* message;
    };
    const Case cases[] = {
        {"00.00", EditId::Density, "70000", true, "liquid density: enter a value from 0 to 65535"},
        {"00.00", EditId::Density, "-1", true, "liquid density: enter a value from 0 to 65535"},
        {"00.00", EditId::RangeEnd, "3e38", false, "Range end: enter a value from 0 to 655.35"},
        {"0000", EditId::RangeStart, "-32769", false,
         "Range start: enter a value from -32768 to 32767"},
        {"00.00", EditId::K1Action, "1e30", true,
         "K1 action: enter a value from -327.68 to 327.67"},
        {"000.0", EditId::K2Release, "-3276.9", true,
         "K2 releasing value: enter a value from -3276.8 to 3276.7"},
        {"0.000", EditId::ZoomStart, "-40", true,
         "Initial zoom range: enter a value from -32.768 to 32.767"},
        {"0.000", EditId::ZoomEnd, "65.536", true,
         "Zoom range of termination: enter a value from 0 to 65.535"},
        {"0.000", EditId::K1Delay, "6553.6", true,
         "K1 delay value: enter a value from 0 to 6553.5"},
        {"0000", EditId::K2Delay, "-0.1", true, "K2 delay value: enter a value from 0 to 6553.5"},
    };
    for (const Case& c : cases) {
        auto m = modelWith(c.dot);
        m.edit(EditId::RangeEnd) = "10";  // the initial 400 does not fit "0.000"
        m.edit(c.edit) = c.text;
        ASSERT_TRUE(m.readEdits().ok) << c.text;
        const Frame all = batchDownloadFrame(m);
        ASSERT_TRUE(all.refusal) << c.text;
        EXPECT_TRUE(all.bytes.empty());
        EXPECT_EQ(all.refusal->edit, c.edit) << c.text;
        EXPECT_EQ(all.refusal->message.text(), c.message);
        const Frame one = singleDownloadFrame(3, m);
        EXPECT_EQ(one.refusal.has_value(), c.inSwitchBlock) << c.text;
    }
    // The edges themselves go out.
    auto m = modelWith("00.00");
    m.edit(EditId::K1Action) = "-327.68";
    m.edit(EditId::RangeEnd) = "655.35";
    m.edit(EditId::Density) = "65535";
    ASSERT_TRUE(m.readEdits().ok);
    const Frame f = batchDownloadFrame(m);
    ASSERT_FALSE(f.refusal);
    EXPECT_EQ(regAt(f, 4, 11), 0x8000);
    EXPECT_EQ(regAt(f, 4, 7), 65535);
    EXPECT_EQ(regAt(f, 4, 21), 65535);
}

TEST(DownloadEncoding, ConfigurationCarriesProductCodeAndAnAddressOfTheBus) {
    auto f = configurationFrame(70000, 5);
    ASSERT_FALSE(f.refusal);
    appendCrc(f.bytes);
    const std::vector<std::uint8_t> head{0x7F, 0x10, 0x00, 0x01, 0x00, 0x03, 0x06,
                                         0x00, 0x01, 0x11, 0x70, 0x00, 0x05};
    ASSERT_EQ(f.bytes.size(), 15u);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), f.bytes.begin()));
    EXPECT_TRUE(crcMatches(f.bytes.data(), f.bytes.size()));
    EXPECT_FALSE(configurationFrame(2147483647, 60).refusal);

    struct Case {
        long long productCode;
        int address;
        EditId edit;
        const char* message;
    };
    // 300 went out as 44, 0 and 127 as no device's address.
    const Case refused[] = {
        {5, 0, EditId::CurrentDevice, "Current device: enter a value from 1 to 60"},
        {5, 61, EditId::CurrentDevice, "Current device: enter a value from 1 to 60"},
        {5, 127, EditId::CurrentDevice, "Current device: enter a value from 1 to 60"},
        {5, 300, EditId::CurrentDevice, "Current device: enter a value from 1 to 60"},
        {-1, 5, EditId::ProductCode, "Product code: enter a value from 0 to 2147483647"},
        {2147483648LL, 5, EditId::ProductCode, "Product code: enter a value from 0 to 2147483647"},
    };
    for (const Case& c : refused) {
        const Frame r = configurationFrame(c.productCode, c.address);
        ASSERT_TRUE(r.refusal) << c.productCode << " " << c.address;
        EXPECT_EQ(r.refusal->edit, c.edit);
        EXPECT_EQ(r.refusal->message.text(), c.message);
        EXPECT_TRUE(r.bytes.empty());
    }
}

TEST(DownloadEncoding, AParameterSetForAnotherPointPositionOrOutputTypeIsFound) {
    auto m = modelWith("00.00");
    m.list(ListId::OutputType).selectExact("2K+1A");
    struct Case {
        std::uint16_t dotPos;
        std::uint16_t outputType;
        std::optional<std::string> mismatch;
    };
    const Case cases[] = {
        {2, 4, std::nullopt},
        {3, 4, "Point position: the file has 00.00, device 3 has 0.000"},
        {2, 0, "Output type: the file has 2K+1A, device 3 has K1"},
        {7, 4, "Point position: the file has 00.00, device 3 has code 7"},
        {2, 9, "Output type: the file has 2K+1A, device 3 has code 9"},
    };
    for (const Case& c : cases) {
        const auto a = answer({{9, c.dotPos}, {8, c.outputType}});
        EXPECT_EQ(deviceMismatch(m, reg::ParameterBlock::fromAnswer(a), 3), c.mismatch);
    }
}

TEST(DownloadOnBus, FramesReachTheDeviceByteForByte) {
    TestBus tb({7}, 0.03);
    tb.open();
    auto m = modelWith("00.00");
    m.values.number(EditId::K1Action) = 0.125f;
    m.values.number(EditId::K1Delay) = 2.5f;
    m.list(ListId::OutputType).selectExact("2K+1A");
    m.list(ListId::Current).selectExact("4--20mA");
    const auto frame = singleDownloadFrame(7, m);
    EXPECT_EQ(downloadToDevice(tb.ctx, frame.bytes), DownloadResult::Success);
    auto sent = frame.bytes;
    appendCrc(sent);
    const auto frames = tb.sim.framesReceived();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back().bytes, sent);
    EXPECT_EQ(sent.size(), 33u);
    EXPECT_EQ(tb.sim.reg(7, 11), 13);
    EXPECT_EQ(tb.sim.reg(7, 13), 25);
    EXPECT_EQ(tb.sim.reg(7, 18), 1);

    const auto all = batchDownloadFrame(m);
    EXPECT_EQ(downloadToAll(tb.ctx, all.bytes), DownloadResult::Success);
    EXPECT_EQ(tb.sim.framesReceived().back().bytes.size(), 45u);
    EXPECT_EQ(tb.sim.reg(7, 9), 2);
}

TEST(DownloadOnBus, NoAnswerIsAFailureAndAClosedPortNoSuccess) {
    TestBus tb({7}, 0.03);
    tb.open();
    auto m = modelWith("00.00");
    EXPECT_EQ(downloadToDevice(tb.ctx, singleDownloadFrame(9, m).bytes), DownloadResult::Failed);
    EXPECT_EQ(downloadMessage(DownloadResult::Failed), "Download failed!");
    tb.ctx.bus.Close();
    EXPECT_EQ(downloadToAll(tb.ctx, batchDownloadFrame(m).bytes), DownloadResult::WriteFailed);
    EXPECT_EQ(downloadMessage(DownloadResult::WriteFailed), "");
}
