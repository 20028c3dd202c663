// The frames the bus reports for each exchange, their outcomes, the figures of each address, the
// text line of the trace and the queue the monitor drains.
#include <gtest/gtest.h>

#include <thread>

#include "link/Bus.h"
#include "link/BusTraffic.h"
#include "link/ModbusCrc16.h"
#include "link/RegisterMap.h"
#include "tests/support/TestBus.h"

namespace {

ExchangeResult readBlock(Bus& bus, int address) {
    return bus.readInputRegisters(static_cast<std::uint8_t>(address), reg::kBlockFirst,
                                  reg::kBlockCount, Timing::kScanWaitMs);
}

struct Observed {
    explicit Observed(std::vector<int> devices) : t(TestBus::inProcess(std::move(devices)), 0.05) {
        t.open();
        t.ctx.bus.addObserver(&frames);
    }
    ~Observed() { t.ctx.bus.removeObserver(&frames); }
    TestBus t;
    FrameRecorder frames;
};

TEST(BusTraffic, AScanShowsTheAnswerTheBadCrcAndTheSilentDevice) {
    Observed o({1, 5});
    SimFaults bad;
    bad.badCrc = true;
    o.t.sim.setFaults(5, bad);
    for (int a : {1, 5, 9}) readBlock(o.t.ctx.bus, a);

    const auto good = o.frames.with(1);
    ASSERT_EQ(good.size(), 2u);
    EXPECT_EQ(good[0].direction, FrameDirection::Sent);
    EXPECT_EQ(good[0].outcome, FrameOutcome::Answer);
    EXPECT_EQ(good[0].bytes, (std::vector<std::uint8_t>{1, 4, 0, 3, 0, 0x13, 0x41, 0xC7}));
    EXPECT_TRUE(good[0].crcGood);
    EXPECT_EQ(good[1].direction, FrameDirection::Received);
    EXPECT_EQ(good[1].outcome, FrameOutcome::Answer);
    EXPECT_EQ(good[1].length, 43u);
    EXPECT_TRUE(good[1].crcGood);
    EXPECT_GT(good[1].latencyMs, 0.0);
    EXPECT_GE(good[1].timeMs, good[0].timeMs);

    const auto badCrc = o.frames.with(5);
    ASSERT_EQ(badCrc.size(), 2u);
    EXPECT_EQ(badCrc[0].outcome, FrameOutcome::Timeout);
    EXPECT_EQ(badCrc[1].direction, FrameDirection::Received);
    EXPECT_EQ(badCrc[1].outcome, FrameOutcome::Timeout);
    EXPECT_EQ(badCrc[1].length, 43u);
    EXPECT_FALSE(badCrc[1].crcGood);

    const auto silent = o.frames.with(9);
    ASSERT_EQ(silent.size(), 1u);
    EXPECT_EQ(silent[0].outcome, FrameOutcome::Timeout);
    // A silent exchange lasts its whole window: the classic window, shrunk by the test timing.
    EXPECT_GE(silent[0].latencyMs, 0.9 * 0.05 * (700 + 10 * 43 + 500));

    const HealthTable h = o.t.ctx.bus.health();
    EXPECT_EQ(h.at(1).requests, 1u);
    EXPECT_EQ(h.at(1).answers, 1u);
    EXPECT_EQ(h.at(1).timeouts, 0u);
    EXPECT_EQ(h.at(5).requests, 1u);
    EXPECT_EQ(h.at(5).answers, 0u);
    EXPECT_EQ(h.at(5).timeouts, 1u);
    EXPECT_EQ(h.at(5).crcErrors, 1u);
    EXPECT_EQ(h.at(9).timeouts, 1u);
    EXPECT_EQ(h.at(9).crcErrors, 0u);
    EXPECT_TRUE(h.at(2).empty());
}

TEST(BusTraffic, ARefusalAndAWriteToAllDevicesAreNamed) {
    Observed o({3});
    SimFaults refuse;
    refuse.refuse = true;
    o.t.sim.setFaults(3, refuse);
    readBlock(o.t.ctx.bus, 3);
    ASSERT_TRUE(o.t.ctx.bus.send(buildWriteSingle(Bus::kBroadcast, 40, 1)));

    const auto f = o.frames.frames();
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0].outcome, FrameOutcome::Refused);
    EXPECT_EQ(f[1].outcome, FrameOutcome::Refused);
    EXPECT_EQ(f[1].length, 5u);
    EXPECT_TRUE(f[1].crcGood);
    EXPECT_EQ(f[1].bytes[1], 0x84);
    EXPECT_EQ(f[2].outcome, FrameOutcome::NotRead);
    EXPECT_EQ(f[2].exchangeAddress, 127);

    const HealthTable h = o.t.ctx.bus.health();
    EXPECT_EQ(h.at(3).refusals, 1u);
    EXPECT_EQ(h.at(3).timeouts, 0u);
    EXPECT_EQ(h.at(127).requests, 1u);
}

TEST(BusTraffic, ALateAnswerIsAForeignFrameOfTheNextExchangeAndDroppedBeforeTheSameOne) {
    Observed o({7});
    SimFaults late;
    late.lateMs = 100;  // after the shrunk window of about 80 ms
    o.t.sim.setFaults(7, late);

    readBlock(o.t.ctx.bus, 7);
    readBlock(o.t.ctx.bus, 8);  // absent: waits its whole window, the late answer comes in it
    auto foreign = o.frames.with(8);
    ASSERT_EQ(foreign.size(), 2u);
    EXPECT_EQ(foreign[0].outcome, FrameOutcome::Timeout);
    EXPECT_EQ(foreign[1].outcome, FrameOutcome::Foreign);
    EXPECT_EQ(foreign[1].bytes.at(0), 7);
    EXPECT_TRUE(foreign[1].crcGood);
    EXPECT_EQ(o.t.ctx.bus.health().at(8).foreign, 1u);

    // The next exchange with 7 first waits for a quiet line and drops its late answer.
    o.frames.clear();
    readBlock(o.t.ctx.bus, 7);
    readBlock(o.t.ctx.bus, 7);
    const auto again = o.frames.with(7);
    ASSERT_GE(again.size(), 3u);
    EXPECT_EQ(again[1].direction, FrameDirection::Received);
    EXPECT_EQ(again[1].outcome, FrameOutcome::Discarded);
    EXPECT_EQ(again[1].bytes.at(0), 7);
    EXPECT_LT(again[1].latencyMs, 0.0);
    EXPECT_EQ(again[2].direction, FrameDirection::Sent);
}

TEST(BusTraffic, BytesWaitingBeforeARequestAreShownAsDiscarded) {
    Observed o({1, 7});
    SimFaults late;
    late.lateMs = 100;
    o.t.sim.setFaults(7, late);
    readBlock(o.t.ctx.bus, 7);
    o.t.pass(std::chrono::milliseconds(60));  // the late answer is in
    o.frames.clear();
    ASSERT_TRUE(readBlock(o.t.ctx.bus, 1).crcOk());
    const auto f = o.frames.frames();
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0].outcome, FrameOutcome::Discarded);
    EXPECT_EQ(f[0].exchangeAddress, 1);
    EXPECT_EQ(f[0].bytes.at(0), 7);
    EXPECT_EQ(f[1].outcome, FrameOutcome::Answer);
    EXPECT_EQ(f[2].outcome, FrameOutcome::Answer);
}

TEST(BusTraffic, AHangUpIsAFailedExchange) {
    Observed o({1});
    o.t.sim.hangUp();
    EXPECT_FALSE(readBlock(o.t.ctx.bus, 1).status.ok());
    const auto f = o.frames.frames();
    ASSERT_FALSE(f.empty());
    EXPECT_EQ(f[0].direction, FrameDirection::Sent);
    EXPECT_EQ(f[0].outcome, FrameOutcome::Failed);
    EXPECT_EQ(o.t.ctx.bus.health().at(1).timeouts, 0u);
}

TEST(BusTraffic, FiguresCountSinceOpenOrReset) {
    Observed o({1});
    for (int i = 0; i < 3; ++i) readBlock(o.t.ctx.bus, 1);
    HealthTable h = o.t.ctx.bus.health();
    EXPECT_FALSE(h.sinceReset);
    EXPECT_EQ(h.at(1).answers, 3u);
    EXPECT_GT(h.at(1).latencyMinMs, 0.0);
    EXPECT_LE(h.at(1).latencyMinMs, h.at(1).latencyMeanMs());
    EXPECT_LE(h.at(1).latencyMeanMs(), h.at(1).latencyMaxMs);

    o.t.ctx.bus.resetHealth();
    readBlock(o.t.ctx.bus, 1);
    h = o.t.ctx.bus.health();
    EXPECT_TRUE(h.sinceReset);
    EXPECT_EQ(h.at(1).requests, 1u);

    o.t.ctx.bus.Close();
    o.t.open();
    h = o.t.ctx.bus.health();
    EXPECT_FALSE(h.sinceReset);
    EXPECT_TRUE(h.at(1).empty());
}

BusFrame frameOf(std::vector<std::uint8_t> bytes, FrameDirection d, FrameOutcome outcome,
                 double latency, double at = 12.5) {
    return makeFrame(at, d, bytes.empty() ? 0 : bytes[0], bytes.data(), bytes.size(), outcome,
                     latency);
}

TEST(BusTraffic, TheTraceLineHasEveryField) {
    std::vector<std::uint8_t> request = {1, 4, 0, 3, 0, 0x13};
    appendCrc(request);
    std::vector<std::uint8_t> big(300, 0xAB);
    big[0] = 9;
    const struct {
        BusFrame frame;
        std::string line;
    } cases[] = {
        {frameOf(request, FrameDirection::Sent, FrameOutcome::Answer, 45.25),
         "12.500 TX 1 04 good answer 45.250 01 04 00 03 00 13 41 C7"},
        {frameOf({7, 0x84, 4, 0x12, 0x34}, FrameDirection::Received, FrameOutcome::Refused, 3.0,
                 1234567.25),
         "1234567.250 RX 7 84 bad refused 3.000 07 84 04 12 34"},
        {frameOf({0xFF}, FrameDirection::Received, FrameOutcome::Discarded, -1.0),
         "12.500 RX 255 - bad discarded - FF"},
        {frameOf({}, FrameDirection::Received, FrameOutcome::Foreign, -1.0),
         "12.500 RX - - bad foreign - "},
        {frameOf(request, FrameDirection::Sent, FrameOutcome::NotRead, -1.0),
         "12.500 TX 1 04 good not-read - 01 04 00 03 00 13 41 C7"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatFrameLine(c.frame), c.line);

    const BusFrame truncated = frameOf(big, FrameDirection::Received, FrameOutcome::Timeout, 800.0);
    EXPECT_EQ(truncated.bytes.size(), BusFrame::kKeptBytes);
    EXPECT_EQ(truncated.length, 300u);
    const std::string line = formatFrameLine(truncated);
    EXPECT_EQ(line.substr(0, 39), "12.500 RX 9 AB bad time-out 800.000 09 ");
    EXPECT_EQ(line.substr(line.size() - 21), "AB AB ... (300 bytes)");
}

TEST(BusTraffic, TheHealthTableListsThePolledAddresses) {
    HealthTable t;
    std::vector<std::uint8_t> req = {3, 4, 0, 3, 0, 0x13};
    appendCrc(req);
    auto tx = [&](int address, FrameOutcome outcome, double latency) {
        BusFrame f = frameOf(req, FrameDirection::Sent, outcome, latency);
        f.exchangeAddress = static_cast<std::uint8_t>(address);
        return f;
    };
    t.add({tx(3, FrameOutcome::Answer, 10.0), tx(3, FrameOutcome::Answer, 20.0),
           tx(3, FrameOutcome::Timeout, 80.0), tx(4, FrameOutcome::Timeout, 80.0),
           tx(127, FrameOutcome::NotRead, -1.0)});
    EXPECT_EQ(formatHealthTable(t),
              "address  requests   answers time-outs crc-errors  refused  foreign   min-ms  mean-ms"
              "   max-ms\n"
              "      3         3         2         1          0        0        0     10.0     15.0"
              "     20.0\n"
              "      4         1         0         1          0        0        0        -        -"
              "        -\n"
              "    127         1         0         0          0        0        0        -        -"
              "        -\n");
    // Frames of an address the table does not keep change nothing.
    HealthTable before = t;
    t.add({tx(0, FrameOutcome::Answer, 1.0), tx(200, FrameOutcome::Answer, 1.0)});
    EXPECT_EQ(formatHealthTable(t), formatHealthTable(before));
}

TEST(BusTraffic, TheQueueKeepsTheNewestFramesAndCountsTheDropped) {
    FrameQueue q(4);
    std::vector<BusFrame> frames;
    for (int i = 0; i < 10; ++i)
        frames.push_back(frameOf({1}, FrameDirection::Sent, FrameOutcome::NotRead, -1.0, i));
    q.push({frames.begin(), frames.begin() + 3});
    q.push({frames.begin() + 3, frames.end()});
    std::size_t dropped = 0;
    const auto got = q.take(&dropped);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got.front().timeMs, 6.0);
    EXPECT_EQ(got.back().timeMs, 9.0);
    EXPECT_EQ(dropped, 6u);
    EXPECT_TRUE(q.take(&dropped).empty());
    EXPECT_EQ(dropped, 0u);
}

}  // namespace
