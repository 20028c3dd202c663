// Every exchange of the program against the simulated bus, most with shrunken timing and a few
// with the real waits.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "link/Bus.h"
#include "link/ModbusCrc16.h"
#include "link/RegisterMap.h"
#include "tests/support/TestBus.h"

namespace {

double msSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

ExchangeResult readBlock(Bus& bus, int address) {
    return bus.readInputRegisters(static_cast<std::uint8_t>(address), reg::kBlockFirst,
                                  reg::kBlockCount, Timing::kScanWaitMs);
}

TEST(Bus, ReadsTheParameterBlockOfEachDevice) {
    TestBus t({1, 7, 12});
    t.open();
    for (int a : {1, 7, 12}) {
        auto r = readBlock(t.ctx.bus, a);
        ASSERT_TRUE(r.ioOk);
        EXPECT_TRUE(r.crcOk());
        EXPECT_EQ(r.answer.size(), 43u);
        EXPECT_EQ(r.answer[0], a);
        EXPECT_EQ(r.reg(0), a);  // register 3 holds the device's own address
    }
    auto silent = readBlock(t.ctx.bus, 2);
    EXPECT_TRUE(silent.ioOk);
    EXPECT_FALSE(silent.crcOk());
    EXPECT_EQ(silent.received, 0u);
    EXPECT_EQ(silent.answer, std::vector<std::uint8_t>(43, 0));
}

TEST(Bus, WritesReachTheDeviceAndAnswersAreChecked) {
    TestBus t({5, 6});
    t.open();
    // Registers 10-21 to one device, answer of 8 bytes read at once.
    std::vector<std::uint8_t> data;
    for (int i = 0; i < 12; ++i) {
        data.push_back(0);
        data.push_back(static_cast<std::uint8_t>(i + 1));
    }
    auto w = t.ctx.bus.writeRegisters(5, 10, data, Timing::kNoWaitMs);
    EXPECT_TRUE(w.crcOk());
    EXPECT_EQ(*t.sim.reg(5, 10), 1);
    EXPECT_EQ(*t.sim.reg(5, 21), 12);
    EXPECT_EQ(*t.sim.reg(6, 10), 0);  // the other device is untouched

    // K and B as float register pairs.
    std::vector<std::uint8_t> kb;
    for (auto b : reg::floatToRegisters(0.5f)) kb.push_back(b);
    for (auto b : reg::floatToRegisters(-12.0f)) kb.push_back(b);
    EXPECT_TRUE(t.ctx.bus.writeRegisters(6, 24, kb, Timing::kRegisterWaitMs).crcOk());
    EXPECT_EQ(t.sim.coefficients(6)->first, 0.5f);
    EXPECT_EQ(t.sim.coefficients(6)->second, -12.0f);

    // Address 127 reaches every device and nobody answers.
    t.sim.clearFramesReceived();
    std::vector<std::uint8_t> block(36, 0);
    block[1] = 2;  // register 4 = signal type "level"
    auto req = buildWriteMultiple(Bus::kBroadcast, 4, block);
    EXPECT_EQ(t.ctx.bus.send(req), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(*t.sim.reg(5, 4), 2);
    EXPECT_EQ(*t.sim.reg(6, 4), 2);
    ASSERT_EQ(t.sim.framesReceived().size(), 1u);
    EXPECT_EQ(t.sim.framesReceived()[0].bytes.size(), 45u);

    // Register 40 by function 0x06; its reply is not read, and cannot pass for the next answer.
    EXPECT_EQ(t.ctx.bus.send(buildWriteSingle(5, 40, 1)), 1);
    auto next = t.ctx.bus.readInputRegisters(5, 22, 1, Timing::kRegisterWaitMs);
    EXPECT_TRUE(next.crcOk());
    EXPECT_EQ(next.answer[1], 0x04);
    EXPECT_EQ(*t.sim.reg(5, 40), 1);
}

TEST(Bus, BrokenAnswersFailTheirChecks) {
    TestBus t({1, 2, 3, 4});
    SimFaults crc;
    crc.badCrc = true;
    SimFaults shortAnswer;
    shortAnswer.shortAnswer = true;
    SimFaults garbage;
    garbage.garbage = true;
    SimFaults silent;
    silent.silent = true;
    t.sim.setFaults(1, crc);
    t.sim.setFaults(2, shortAnswer);
    t.sim.setFaults(3, garbage);
    t.sim.setFaults(4, silent);
    t.open();
    auto a = readBlock(t.ctx.bus, 1);
    EXPECT_TRUE(a.complete());
    EXPECT_FALSE(a.crcOk());
    auto b = readBlock(t.ctx.bus, 2);
    EXPECT_EQ(b.received, 21u);
    EXPECT_FALSE(b.complete());
    EXPECT_FALSE(b.crcOk());
    EXPECT_EQ(b.reg(0), 2);  // what arrived is kept, the rest is zero
    auto c = readBlock(t.ctx.bus, 3);
    EXPECT_FALSE(c.crcOk());
    EXPECT_EQ(c.received, 0u);
    EXPECT_FALSE(readBlock(t.ctx.bus, 4).crcOk());
    EXPECT_TRUE(t.messages.texts().empty());
}

TEST(Bus, RefusedRequestEndsTheExchangeEarlyAndFailsTheCheck) {
    TestBus t({9}, 1.0);  // real waits: a refusal must not cost the whole deadline
    t.open();
    const auto t0 = std::chrono::steady_clock::now();
    auto r = t.ctx.bus.readInputRegisters(9, 39, 5, Timing::kRegisterWaitMs);  // past register 40
    EXPECT_LT(msSince(t0), 400.0);
    EXPECT_TRUE(r.refused);
    EXPECT_FALSE(r.crcOk());
    // The refusal is not copied into the answer: padded with zeros it would pass a CRC check.
    EXPECT_EQ(r.answer, std::vector<std::uint8_t>(15, 0));
}

// A late answer must never be taken for the answer of the next exchange.
TEST(Bus, LateAnswerNeverPassesForTheNextDevice) {
    TestBus t({1, 7, 12});
    SimFaults late;
    const int deadlineMs =
        static_cast<int>((Timing::kScanWaitMs + 10 * 43 + 500) * 0.05);  // at scale 0.05
    late.lateMs = deadlineMs + 15;
    t.sim.setFaults(7, late);
    t.open();
    auto r7 = readBlock(t.ctx.bus, 7);
    EXPECT_FALSE(r7.crcOk());  // honest silence
    for (int a : {12, 1, 12}) {
        auto r = readBlock(t.ctx.bus, a);
        ASSERT_TRUE(r.crcOk()) << "address " << a;
        EXPECT_EQ(r.answer[0], a);
        EXPECT_EQ(r.reg(0), a);
    }
    // The late frame did arrive on the line during those exchanges.
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    auto silent = readBlock(t.ctx.bus, 2);
    EXPECT_FALSE(silent.crcOk());
    EXPECT_EQ(silent.received, 0u);
}

TEST(Bus, HangUpStopsEveryCallerAtOnce) {
    TestBus t({1});
    t.open();
    ASSERT_TRUE(readBlock(t.ctx.bus, 1).crcOk());
    t.sim.hangUp();
    auto r = readBlock(t.ctx.bus, 1);
    EXPECT_FALSE(r.ioOk);
    ASSERT_EQ(t.messages.texts().size(), 1u);
    const std::string text = t.messages.texts()[0];
    EXPECT_TRUE(text == "Error Code5read serial operation failed!" ||
                text == "Error Code5,Write serial operation failed!")
        << text;
    EXPECT_EQ(t.ctx.bus.state(), CSerialPort::State::Closed);
    EXPECT_FALSE(readBlock(t.ctx.bus, 1).ioOk);
    EXPECT_EQ(t.messages.texts().size(), 1u);
}

TEST(Bus, ConcurrentCallersNeverInterleave) {
    TestBus t({1, 2, 3, 4});
    t.open();
    std::atomic<int> wrong{0};
    auto work = [&](int a) {
        for (int i = 0; i < 15; ++i) {
            auto r = t.ctx.bus.readInputRegisters(static_cast<std::uint8_t>(a), 3, 1,
                                                  Timing::kRegisterWaitMs);
            if (!r.crcOk() || r.reg(0) != a)
                ++wrong;
        }
    };
    std::vector<std::thread> threads;
    for (int a = 1; a <= 4; ++a) threads.emplace_back(work, a);
    for (auto& th : threads) th.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(Bus, RealTimingReturnsEarlyForAnAnswerAndWaitsTheDeadlineForSilence) {
    TestBus t({3}, 1.0, 9600, 5.0);
    t.open();
    auto t0 = std::chrono::steady_clock::now();
    auto r = t.ctx.bus.readInputRegisters(3, 23, 1, Timing::kRegisterWaitMs);
    const double answered = msSince(t0);
    EXPECT_TRUE(r.crcOk());
    EXPECT_LT(answered, 300.0);  // wire time is ~20 ms; the classic master sleeps 500 first

    t0 = std::chrono::steady_clock::now();
    auto s = t.ctx.bus.readInputRegisters(4, 23, 1, Timing::kRegisterWaitMs);
    const double silent = msSince(t0);
    EXPECT_FALSE(s.crcOk());
    EXPECT_GE(silent, 1060.0);  // 500 ms wait + 570 ms read time-out
    EXPECT_LT(silent, 2500.0);
}

TEST(Bus, FixedSleepModeWaitsBeforeReading) {
    TestBus t({3}, 0.2);
    Timing fixed = t.ctx.bus.timing();
    fixed.earlyReturn = false;
    t.ctx.bus.setTiming(fixed);
    t.open();
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(t.ctx.bus.readInputRegisters(3, 23, 1, Timing::kRegisterWaitMs).crcOk());
    EXPECT_GE(msSince(t0), 95.0);  // the 500 ms wait at scale 0.2
}

TEST(Bus, StorePauseStopsOnCancel) {
    RecordingMessages m;
    Bus bus(m, testTiming(1.0));
    std::atomic<int> cancel{0};
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        cancel = 1;
    });
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(bus.pause(Timing::kStoreWaitMs, &cancel));
    EXPECT_LT(msSince(t0), 1000.0);
    canceller.join();
}

}  // namespace
