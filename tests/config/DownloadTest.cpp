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

std::uint16_t regAt(const std::vector<std::uint8_t>& frame, int firstReg, int r) {
    const std::size_t at = 7 + 2 * static_cast<std::size_t>(r - firstReg);
    return static_cast<std::uint16_t>(frame.at(at) << 8 | frame.at(at + 1));
}

}  // namespace

TEST(DownloadEncoding, ActionsRoundHalfAwayFromZeroOnlyWithADecimalPoint) {
    auto m = modelWith("00.00");
    m.values.k1Action = 0.125f;
    m.values.k2Action = -0.125f;
    m.values.k1Release = 1.255f;  // held slightly below 1.255
    auto f = singleDownloadFrame(3, m);
    EXPECT_EQ(regAt(f, 10, 11), 13);
    EXPECT_EQ(regAt(f, 10, 15), 0xFFF3);
    EXPECT_EQ(regAt(f, 10, 12), 125);
    m = modelWith("0000");
    m.values.k1Action = 12.7f;
    EXPECT_EQ(regAt(singleDownloadFrame(3, m), 10, 11), 12);
}

TEST(DownloadEncoding, RangeTruncatesAndDelaysCountTenths) {
    auto m = modelWith("000.0");
    m.values.rangeEnd = 12.5f;
    m.values.k1Delay = 2.5f;
    m.values.k2Delay = 0.7f;  // slightly below 0.7
    auto f = batchDownloadFrame(m);
    EXPECT_EQ(regAt(f, 4, 7), 125);
    EXPECT_EQ(regAt(f, 4, 13), 25);
    EXPECT_EQ(regAt(f, 4, 17), 6);
    m.values.rangeEnd = 6553.5f;
    EXPECT_EQ(regAt(batchDownloadFrame(m), 4, 7), 0xFFFF);
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

TEST(DownloadEncoding, ConfigurationFrameCarriesProductCodeAndAddress) {
    auto f = configurationFrame(70000, 5);
    AppendCrc(f);
    const std::vector<std::uint8_t> head{0x7F, 0x10, 0x00, 0x01, 0x00, 0x03, 0x06,
                                         0x00, 0x01, 0x11, 0x70, 0x00, 0x05};
    ASSERT_EQ(f.size(), 15u);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), f.begin()));
    EXPECT_TRUE(CrcMatches(f.data(), f.size()));
}

TEST(DownloadOnBus, FramesReachTheDeviceByteForByte) {
    TestBus tb({7}, 0.03);
    tb.open();
    auto m = modelWith("00.00");
    m.values.k1Action = 0.125f;
    m.values.k1Delay = 2.5f;
    m.list(ListId::OutputType).selectExact("2K+1A");
    m.list(ListId::Current).selectExact("4--20mA");
    const auto frame = singleDownloadFrame(7, m);
    EXPECT_EQ(downloadToDevice(tb.ctx, frame), DownloadResult::Success);
    auto sent = frame;
    AppendCrc(sent);
    const auto frames = tb.sim.framesReceived();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back().bytes, sent);
    EXPECT_EQ(sent.size(), 33u);
    EXPECT_EQ(tb.sim.reg(7, 11), 13);
    EXPECT_EQ(tb.sim.reg(7, 13), 25);
    EXPECT_EQ(tb.sim.reg(7, 18), 1);

    const auto all = batchDownloadFrame(m);
    EXPECT_EQ(downloadToAll(tb.ctx, all), DownloadResult::Success);
    EXPECT_EQ(tb.sim.framesReceived().back().bytes.size(), 45u);
    EXPECT_EQ(tb.sim.reg(7, 9), 2);
}

TEST(DownloadOnBus, NoAnswerIsAFailureAndAClosedPortNoSuccess) {
    TestBus tb({7}, 0.03);
    tb.open();
    auto m = modelWith("00.00");
    EXPECT_EQ(downloadToDevice(tb.ctx, singleDownloadFrame(9, m)), DownloadResult::Failed);
    EXPECT_EQ(downloadMessage(DownloadResult::Failed), "Download failed!");
    tb.ctx.bus.Close();
    EXPECT_EQ(downloadToAll(tb.ctx, batchDownloadFrame(m)), DownloadResult::WriteFailed);
    EXPECT_EQ(downloadMessage(DownloadResult::WriteFailed), "");
}
