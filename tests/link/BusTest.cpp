// Every exchange of the program against the simulated bus, most with shrunken timing and a few
// with the real waits.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <thread>

#include "link/BlockRead.h"
#include "link/Bus.h"
#include "link/ModbusCrc16.h"
#include "link/RegisterMap.h"
#include "state/ReportStatus.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TestBus.h"

namespace {

// On the bus's clock.
double msSince(const TestBus& t, std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(t.now() - t0).count();
}

ExchangeResult readBlock(Bus& bus, int address) {
    return bus.readInputRegisters(static_cast<std::uint8_t>(address), reg::kBlockFirst,
                                  reg::kBlockCount, Timing::kScanWaitMs);
}

TEST(Bus, ReadsTheParameterBlockOfEachDevice) {
    TestBus t(TestBus::inProcess({1, 7, 12}), 0.05);
    t.open();
    for (int a : {1, 7, 12}) {
        auto r = readBlock(t.ctx.bus, a);
        ASSERT_TRUE(r.status.ok());
        EXPECT_TRUE(r.crcOk());
        EXPECT_EQ(r.answer.size(), 43u);
        EXPECT_EQ(r.answer[0], a);
        EXPECT_EQ(r.reg(0), a);  // register 3 holds the device's own address
    }
    auto silent = readBlock(t.ctx.bus, 2);
    EXPECT_TRUE(silent.status.ok());
    EXPECT_FALSE(silent.crcOk());
    EXPECT_EQ(silent.received, 0u);
    EXPECT_EQ(silent.answer, std::vector<std::uint8_t>(43, 0));
}

TEST(Bus, WritesReachTheDeviceAndAnswersAreChecked) {
    TestBus t(TestBus::inProcess({5, 6}), 0.05);
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
    t.pass(std::chrono::milliseconds(50));
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
    TestBus t(TestBus::inProcess({1, 2, 3, 4}), 0.05);
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
    // What arrived is kept, the rest is zero; none of it counts as a register.
    EXPECT_EQ(b.answer[3] << 8 | b.answer[4], 2);
    EXPECT_EQ(b.reg(0), 0);
    auto c = readBlock(t.ctx.bus, 3);
    EXPECT_FALSE(c.crcOk());
    EXPECT_EQ(c.received, 0u);
    EXPECT_FALSE(readBlock(t.ctx.bus, 4).crcOk());
    EXPECT_TRUE(t.messages.texts().empty());
}

// A device whose answer checks but declares fewer registers than were asked has not answered:
// what lies where the missing registers should be is no reading.
TEST(Bus, AnAnswerShortOfTheAskedRegistersIsNoAnswer) {
    TestBus t(TestBus::inProcess({1, 2}), 0.05);
    SimFaults shortCount;
    shortCount.shortCount = true;
    t.sim.setFaults(2, shortCount);
    t.open();
    for (std::uint16_t count : {std::uint16_t{1}, reg::kBlockCount}) {
        SCOPED_TRACE(count);
        const auto good =
            t.ctx.bus.readInputRegisters(1, reg::kBlockFirst, count, Timing::kRegisterWaitMs);
        EXPECT_TRUE(good.answered());
        EXPECT_EQ(good.registers().count(), count);
        EXPECT_EQ(good.reg(0), 1);
        const auto r =
            t.ctx.bus.readInputRegisters(2, reg::kBlockFirst, count, Timing::kRegisterWaitMs);
        EXPECT_TRUE(r.crcOk());
        EXPECT_EQ(r.outcome(), ExchangeResult::Outcome::ShortCount);
        EXPECT_EQ(r.registers().count(), 0u);
        EXPECT_EQ(r.reg(0), 0);
    }
    EXPECT_TRUE(readParameterBlock(t.ctx.bus, 1).block);
    EXPECT_FALSE(readParameterBlock(t.ctx.bus, 2).block);
    EXPECT_TRUE(t.messages.texts().empty());
}

TEST(Bus, RefusedRequestEndsTheExchangeEarlyAndFailsTheCheck) {
    TestBus t(TestBus::inProcess({9}), 1.0);  // unshrunk: a refusal must not cost the deadline
    t.open();
    const auto t0 = t.now();
    auto r = t.ctx.bus.readInputRegisters(9, 39, 5, Timing::kRegisterWaitMs);  // past register 40
    EXPECT_LT(msSince(t, t0), 400.0);
    EXPECT_TRUE(r.refused);
    EXPECT_FALSE(r.crcOk());
    // The refusal is not copied into the answer: padded with zeros it would pass a CRC check.
    EXPECT_EQ(r.answer, std::vector<std::uint8_t>(15, 0));
}

// A late answer must never be taken for the answer of the next exchange.
TEST(Bus, LateAnswerNeverPassesForTheNextDevice) {
    TestBus t(TestBus::inProcess({1, 7, 12}), 0.05);
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
    t.pass(std::chrono::milliseconds(60));
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
    EXPECT_FALSE(r.status.ok());
    ASSERT_EQ(t.messages.texts().size(), 1u);
    const std::string text = t.messages.texts()[0];
    EXPECT_TRUE(text == "Error Code5read serial operation failed!" ||
                text == "Error Code5,Write serial operation failed!")
        << text;
    EXPECT_EQ(t.ctx.bus.state(), CSerialPort::State::Closed);
    EXPECT_NE(t.messages.lastStatus().find("hung up"), std::string::npos);
    // Every later exchange is refused at once and says why, once.
    t.messages.clear();
    EXPECT_FALSE(readBlock(t.ctx.bus, 1).status.ok());
    EXPECT_EQ(t.messages.texts(), std::vector<std::string>{CSerialPort::kWriteNotOpen});
}

// The bus shows nothing itself: its one listener hears each failed exchange or send once, after
// the bus lock is released, and never an Open, a Close or an exchange that fails silently.
TEST(Bus, TheListenerHearsEachFailureOnceAndNeverUnderTheLock) {
    using Code = Status::Code;
    SimBus::Options o = TestBus::inProcess({1});
    SimBus sim(o);
    Bus bus(testTiming(0.05));
    bus.attachLine(sim.line(), o.clock);
    std::vector<Code> heard;
    bool lockFree = true;
    bus.setStatusListener([&](const Status& said) {
        heard.push_back(said.code());
        // A call that takes the bus lock comes back: nobody holds it.
        auto other = std::async(std::launch::async, [&] { return bus.responseTimeoutMs(); });
        lockFree = lockFree && other.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    });
    EXPECT_EQ(readBlock(bus, 1).status.code(), Code::NotOpen);
    EXPECT_EQ(bus.send(buildWriteSingle(Bus::kBroadcast, 40, 0)), 0);
    SerialSettings s;
    s.PortName = "/dev/korvelantis-no-such-port";
    EXPECT_EQ(bus.Open(s).code(), Code::OpenFailed);
    s.PortName = sim.portPath();
    ASSERT_TRUE(bus.Open(s).ok());
    EXPECT_TRUE(readBlock(bus, 1).answered());
    sim.hangUp();
    EXPECT_EQ(readBlock(bus, 1).status.code(), Code::LineFailed);
    EXPECT_EQ(bus.Close().code(), Code::Closed);  // the hang-up had closed it
    bus.refuseNewExchanges(true);                 // a port not open is not worth a word then
    EXPECT_EQ(readBlock(bus, 1).status.code(), Code::Closed);
    EXPECT_EQ(bus.send(buildWriteSingle(Bus::kBroadcast, 40, 0)), 0);
    EXPECT_EQ(heard, (std::vector<Code>{Code::NotOpen, Code::NotOpen, Code::LineFailed}));
    EXPECT_TRUE(lockFree);
}

// One exchange on a port that is not open is one message, whatever the state: a Search on a
// never-opened port used to show the write's and the read's message and then its own.
TEST(Bus, PortThatIsNotOpenSaysSoOnceAnExchange) {
    enum How { NeverOpened, ClosedByTheOperator, HungUp };
    for (How how : {NeverOpened, ClosedByTheOperator, HungUp}) {
        TestBus t({1});
        if (how != NeverOpened)
            t.open();
        if (how == ClosedByTheOperator)
            t.ctx.bus.Close();
        if (how == HungUp) {
            t.sim.hangUp();
            readBlock(t.ctx.bus, 1);
        }
        t.messages.clear();
        t.sim.clearFramesReceived();
        const auto r = readBlock(t.ctx.bus, 1);
        EXPECT_FALSE(r.status.ok()) << how;
        EXPECT_EQ(t.messages.texts(), std::vector<std::string>{CSerialPort::kWriteNotOpen}) << how;
        t.messages.clear();
        EXPECT_EQ(t.ctx.bus.send(buildWriteSingle(Bus::kBroadcast, 40, 0)), 0) << how;
        EXPECT_EQ(t.messages.texts(), std::vector<std::string>{CSerialPort::kWriteNotOpen}) << how;
        EXPECT_TRUE(t.sim.framesReceived().empty()) << how;
    }
}

// `collect` against a device answering late recorded every sample one request late. With a
// device whose register 23 counts its reads, each accepted value names its own request.
TEST(Bus, LateAnswerOfTheSameDeviceNeverPassesForItsNextAnswer) {
    TestBus t(TestBus::inProcess({7}), 0.05);
    t.sim.setCountingReads(7, true);
    SimFaults late;
    const int deadlineMs = static_cast<int>((Timing::kRegisterWaitMs + 10 * 7 + 500) * 0.05);
    late.lateMs = deadlineMs + 12;
    late.lateEvery = 2;  // answers 1, 3, 5 ... late, the others in time
    t.sim.setFaults(7, late);
    t.open();
    int accepted = 0;
    for (int i = 1; i <= 8; ++i) {
        const auto r =
            t.ctx.bus.readInputRegisters(7, reg::MeasuredValue, 1, Timing::kRegisterWaitMs);
        if (!r.crcOk())
            continue;
        ++accepted;
        EXPECT_EQ(r.reg(0), i) << "exchange " << i << " took the answer of request " << r.reg(0);
    }
    EXPECT_GE(accepted, 3);  // the answers in time are taken
    EXPECT_EQ(t.sim.framesReceived().size(), 8u);
}

// The guard waits only for the address and function that missed: a full scan costs nothing.
TEST(Bus, GuardAfterAMissWaitsOnlyForTheSameAddress) {
    TestBus t(TestBus::inProcess({7, 12}), 0.2);
    SimFaults silent;
    silent.silent = true;
    t.sim.setFaults(7, silent);
    t.open();
    const double windowMs = (Timing::kRegisterWaitMs + 10 * 7 + 500) * 0.2;
    EXPECT_FALSE(t.ctx.bus.readInputRegisters(7, 23, 1, Timing::kRegisterWaitMs).crcOk());
    auto t0 = t.now();
    EXPECT_TRUE(t.ctx.bus.readInputRegisters(12, 23, 1, Timing::kRegisterWaitMs).crcOk());
    EXPECT_LT(msSince(t, t0), windowMs / 2);
    t0 = t.now();
    EXPECT_FALSE(t.ctx.bus.readInputRegisters(7, 23, 1, Timing::kRegisterWaitMs).crcOk());
    // Quiet for two windows first, then its own window.
    EXPECT_GE(msSince(t, t0), 2.5 * windowMs);
}

// A device streaming garbage made `read 7` take 5.8 s instead of 1.43 s.
TEST(Bus, DeadlineHoldsWhileADeviceStreamsBytes) {
    TestBus t(TestBus::inProcess({7, 8}), 0.05);
    SimFaults stream;
    stream.streamMs = 4000;
    t.sim.setFaults(7, stream);
    t.open();
    const double deadlineMs = (Timing::kScanWaitMs + 10 * 43 + 500) * 0.05;
    const auto t0 = t.now();
    const auto r = readBlock(t.ctx.bus, 7);
    EXPECT_LT(msSince(t, t0), deadlineMs + 250.0);
    EXPECT_TRUE(r.status.ok());
    EXPECT_FALSE(r.crcOk());
    // The stream goes on; the next address still ends at its deadline.
    const auto t1 = t.now();
    EXPECT_FALSE(readBlock(t.ctx.bus, 8).crcOk());
    EXPECT_LT(msSince(t, t1), deadlineMs + 250.0);
    EXPECT_TRUE(t.messages.texts().empty());
}

// With N ms an exchange waits the request's and the answer's wire time plus N; an address that
// has not begun to answer N ms after the request's wire time is silent.
TEST(Bus, ResponseTimeOutWaitsTheWireTimePlusN) {
    TestBus t(TestBus::inProcess({3, 5}, 9600, 5.0), 1.0);
    SerialSettings s = t.settings();
    s.BaudRate = 9600;
    s.ResponseTimeoutMs = 50;
    ASSERT_TRUE(t.ctx.bus.Open(s).ok());
    EXPECT_EQ(t.ctx.bus.responseTimeoutMs(), 50);
    const double request = 8 * 10 * 1000.0 / 9600;  // 8.3 ms
    const double oneChar = 10 * 1000.0 / 9600;

    auto t0 = t.now();
    EXPECT_FALSE(t.ctx.bus.readInputRegisters(4, 23, 1, Timing::kRegisterWaitMs).crcOk());
    const double silent = msSince(t, t0);
    EXPECT_GE(silent, request + 50 + oneChar - 1.0);
    EXPECT_LT(silent, 250.0);  // "Classic" waits 1070 ms

    SimFaults slow;
    slow.lateMs = 35;  // 40 ms in all: within N, and the 43-byte answer (45 ms) after that
    t.sim.setFaults(3, slow);
    EXPECT_TRUE(readBlock(t.ctx.bus, 3).crcOk());
    slow.lateMs = 80;  // beyond N: silent, and not waited for
    t.sim.setFaults(5, slow);
    t0 = t.now();
    EXPECT_FALSE(readBlock(t.ctx.bus, 5).crcOk());
    EXPECT_LT(msSince(t, t0), 250.0);

    // The time-out belongs to the settings taken at Open.
    t.ctx.bus.Close();
    s.ResponseTimeoutMs = SerialSettings::kClassicResponseTimeout;
    ASSERT_TRUE(t.ctx.bus.Open(s).ok());
    t0 = t.now();
    EXPECT_FALSE(t.ctx.bus.readInputRegisters(4, 23, 1, Timing::kRegisterWaitMs).crcOk());
    EXPECT_GE(msSince(t, t0), 1060.0);
}

// Shows "Error Code" messages only when released, as a message box waits for its OK.
class BlockingMessages : public RecordingMessages {
public:
    void show(const Message& text, MessageIcon icon) override {
        RecordingMessages::show(text, icon);
        if (text.text().rfind("Error Code", 0) != 0)
            return;
        std::unique_lock lock(mutex_);
        waiting_ = true;
        cv_.notify_all();
        cv_.wait(lock, [&] { return released_; });
    }
    bool waitUntilShowing() {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, std::chrono::seconds(5), [&] { return waiting_; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        cv_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool waiting_ = false;
    bool released_ = false;
};

TEST(Bus, CloseWhileAFailedExchangeShowsItsMessageReturns) {
    SimBus::Options o;
    o.addresses = {1};
    SimBus sim(o);
    BlockingMessages messages;
    Bus bus(testTiming(0.05));
    bus.setStatusListener([&](const Status& said) { reportStatus(messages, said); });
    SerialSettings s;
    s.PortName = sim.portPath();
    ASSERT_TRUE(bus.Open(s).ok());
    sim.hangUp();
    std::thread worker([&] { bus.readInputRegisters(1, 23, 1, Timing::kRegisterWaitMs); });
    ASSERT_TRUE(messages.waitUntilShowing());
    auto closing = std::async(std::launch::async, [&] { return bus.Close(); });
    const bool returned = closing.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    messages.release();
    worker.join();
    EXPECT_TRUE(returned) << "Close waited for the operator to acknowledge a message";
    EXPECT_FALSE(closing.get().ok());  // the hang-up had closed the port already
}

TEST(Bus, CloseCutsShortAnExchangeWaitingForItsAnswer) {
    TestBus t({3}, 1.0);
    t.open();
    ExchangeResult r;
    double tookMs = 0;
    std::thread worker([&] {
        const auto t0 = std::chrono::steady_clock::now();
        r = t.ctx.bus.readInputRegisters(4, 23, 1, Timing::kRegisterWaitMs);  // silent: 1070 ms
        tookMs = msSince(t, t0);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(t.ctx.closePort().ok());
    EXPECT_LT(msSince(t, t0), 500.0);
    worker.join();
    EXPECT_LT(tookMs, 600.0);
    EXPECT_FALSE(r.status.ok());
    // The operator's Close is the only word: the exchange it cut short stays quiet.
    EXPECT_EQ(t.messages.texts(), std::vector<std::string>{"The serial port is closed "});
}

TEST(Bus, ObserversHearEveryChangeOfThePortsState) {
    struct Recorder : BusObserver {
        std::vector<CSerialPort::State> seen;
        void portStateChanged(CSerialPort::State s) override { seen.push_back(s); }
    } recorder;
    using S = CSerialPort::State;
    TestBus t({1});
    t.ctx.bus.addObserver(&recorder);
    SerialSettings missing;
    missing.PortName = "/dev/korvelantis-no-such-port";
    t.ctx.bus.Open(missing);
    t.open();
    readBlock(t.ctx.bus, 1);  // no change
    t.sim.hangUp();
    readBlock(t.ctx.bus, 1);  // found by an exchange
    t.ctx.bus.Close();        // closed already: no change
    EXPECT_EQ(recorder.seen, (std::vector<S>{S::Closed, S::Open, S::Closed}));
    t.ctx.bus.removeObserver(&recorder);
    SimBus::Options o;
    o.addresses = {2};
    SimBus other(o);
    SerialSettings s;
    s.PortName = other.portPath();
    ASSERT_TRUE(t.ctx.bus.Open(s).ok());
    EXPECT_EQ(recorder.seen.size(), 3u);
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
    TestBus t(TestBus::inProcess({3}, 9600, 5.0), 1.0);
    t.open();
    auto t0 = t.now();
    auto r = t.ctx.bus.readInputRegisters(3, 23, 1, Timing::kRegisterWaitMs);
    const double answered = msSince(t, t0);
    EXPECT_TRUE(r.crcOk());
    EXPECT_LT(answered, 300.0);  // wire time is ~20 ms; the classic master sleeps 500 first

    t0 = t.now();
    auto s = t.ctx.bus.readInputRegisters(4, 23, 1, Timing::kRegisterWaitMs);
    const double silent = msSince(t, t0);
    EXPECT_FALSE(s.crcOk());
    EXPECT_GE(silent, 1060.0);  // 500 ms wait + 570 ms read time-out
    EXPECT_LT(silent, 2500.0);
}

TEST(Bus, FixedSleepModeWaitsBeforeReading) {
    TestBus t(TestBus::inProcess({3}), 0.2);
    Timing fixed = t.ctx.bus.timing();
    fixed.earlyReturn = false;
    t.ctx.bus.setTiming(fixed);
    t.open();
    const auto t0 = t.now();
    EXPECT_TRUE(t.ctx.bus.readInputRegisters(3, 23, 1, Timing::kRegisterWaitMs).crcOk());
    EXPECT_GE(msSince(t, t0), 95.0);  // the 500 ms wait at scale 0.2
}

TEST(Bus, StorePauseStopsOnCancel) {
    Bus bus(testTiming(1.0));
    std::atomic<int> cancel{0};
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        cancel = 1;
    });
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(bus.pause(Timing::kStoreWaitMs, &cancel));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1));
    canceller.join();
}

}  // namespace
