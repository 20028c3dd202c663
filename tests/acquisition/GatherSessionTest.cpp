// Whole acquisitions on the simulated bus, driven by a fake clock (and one on the real clock).
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "acquisition/GatherSession.h"
#include "acquisition/RecordFile.h"
#include "acquisition/RecordImport.h"
#include "link/RegisterMap.h"
#include "tests/support/FailingWrites.h"
#include "tests/support/FakeClock.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TestBus.h"

using namespace std::chrono_literals;

namespace {

// Calibrates the simulated device to K = 0, B = value, so register 23 reads `value` steadily.
void setMeasuredValue(TestBus& bus, int address, float value) {
    std::vector<std::uint8_t> data;
    for (float f : {0.0f, value}) {
        const auto r = reg::floatToRegisters(f);
        data.insert(data.end(), r.begin(), r.end());
    }
    bus.ctx.bus.writeRegisters(static_cast<std::uint8_t>(address), 24, data,
                               Timing::kRegisterWaitMs);
    bus.sim.clearFramesReceived();
}

// A fake clock that runs a test's step after each wait of the worker (the n-th wait ends just
// before the n-th tick samples).
class HookedClock : public FakeClock {
public:
    using FakeClock::FakeClock;
    std::function<void(int sleeps)> afterSleep;  // set before the worker starts
    bool sleepUntilSteady(SteadyPoint t, const std::atomic<int>& stop) override {
        const bool ok = FakeClock::sleepUntilSteady(t, stop);
        if (ok && afterSleep)
            afterSleep(sleeps());
        return ok;
    }
};

struct Rig {
    explicit Rig(Clock::TimePoint start) : Rig(std::make_shared<HookedClock>(start)) {}
    explicit Rig(std::shared_ptr<HookedClock> c)
        : clock(std::move(c)), bus({3}, 0.03, 115200, 1.0, clock) {
        bus.open();
        bus.ctx.dataDir = dir.path();
        bus.ctx.CurrentAddress = 3;
        bus.ctx.setLiveSelections("K1", "0000");
        setMeasuredValue(bus, 3, 1234);
    }
    std::string fileText() {
        auto b = readFileBytes(session.recordPath().string());
        return std::string(b.begin(), b.end());
    }
    std::vector<std::string> lines() {
        std::vector<std::string> out;
        const std::string t = fileText();
        std::size_t p = 0;
        while (p < t.size()) {
            const std::size_t e = t.find("\r\n", p);
            out.push_back(t.substr(p, e - p));
            p = e + 2;
        }
        return out;
    }
    // Waits (bounded) until the acquisition is over.
    bool waitFinished(std::chrono::milliseconds limit = 10s) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (!session.finished()) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    TempDir dir;
    std::shared_ptr<HookedClock> clock;
    TestBus bus;
    GatherSession session{bus.ctx};
};

GatherSession::Plan immediatePlan(int count, std::chrono::seconds interval, int maxMisses = 0) {
    GatherSession::Plan p;
    p.mode = GatherSession::Mode::Immediate;
    p.interval = interval;
    p.count = count;
    p.maxMisses = maxMisses;
    return p;
}

}  // namespace

TEST(GatherChecks, InputsAreRefusedWithTheirMessages) {
    const auto t0 = makeLocalTime(2024, 5, 1, 10, 0);
    const auto pressed = t0 - 10min;
    EXPECT_EQ(GatherSession::checkReservation(t0, t0 + 60min, "", pressed).message,
              "Time Interval can not be empty");
    EXPECT_EQ(GatherSession::checkReservation(t0, t0 + 60min, "0", pressed).message,
              "Time Interval can not be empty");
    EXPECT_EQ(GatherSession::checkReservation(t0, t0 + 60min, "-5", pressed).message,
              "Time Interval can not be empty");  // no timer with a negative period
    EXPECT_EQ(GatherSession::checkReservation(t0, t0 + 59s, "1", pressed).message,
              "End time setting can not be lower than the start time");
    EXPECT_EQ(GatherSession::checkReservation(t0, t0 + 60min, "7min", pressed).count, 8);
    EXPECT_EQ(GatherSession::checkReservation(t0, t0 + 5min, "10", pressed).count, 0);
    EXPECT_EQ(GatherSession::checkImmediate("", "1").message,
              "Time Interval or duration can not be empty");
    EXPECT_EQ(GatherSession::checkImmediate("5", "").message,
              "Time Interval or duration can not be empty");
    EXPECT_EQ(GatherSession::checkImmediate("abc", "1").message,
              "Time Interval or duration can not be empty");
    EXPECT_EQ(GatherSession::checkImmediate("90", "1").message,
              "Duration time can not be less than the interval");
    EXPECT_EQ(GatherSession::checkImmediate("60", "1").count, 1);
    EXPECT_EQ(GatherSession::checkImmediate("7", "2").count, 17);
}

TEST(GatherImmediate, WholeAcquisitionWritesHeaderAndEveryLine) {
    Rig r(makeLocalTime(2024, 12, 7, 10, 0, 30));
    int shown = -1;
    ASSERT_TRUE(r.session.startImmediate("10", "1", [&](int n) { shown = n; }));
    EXPECT_EQ(shown, 6);
    ASSERT_TRUE(r.waitFinished());
    EXPECT_TRUE(r.bus.messages.texts().empty());
    EXPECT_EQ(r.session.recordPath().filename(), "20241207100030.rec");
    EXPECT_EQ(r.session.taken(), 6);
    const auto l = r.lines();
    ASSERT_EQ(l.size(), 7u);
    EXPECT_EQ(l[0] + "\r\n", kRecordHeader);
    // The first sample one interval after the start, then every interval.
    EXPECT_EQ(l[1], "12-07 10:10\t1234\t0\t0\t0");
    EXPECT_EQ(l[6], "12-07 11:00\t1234\t0\t0\t0");
    // Each request reads register 23 of the current device.
    const auto frames = r.bus.sim.framesReceived();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0].bytes[0], 3);
    EXPECT_EQ(frames[0].bytes[1], 0x04);
    EXPECT_EQ(frames[0].bytes[3], 23);
}

TEST(GatherImmediate, PointPositionIsReadAtEverySample) {
    Rig r(makeLocalTime(2024, 12, 7, 10, 0));
    r.bus.ctx.setLiveSelections("K1", "000.0");
    ASSERT_TRUE(r.session.startImmediate("60", "1"));
    ASSERT_TRUE(r.waitFinished());
    EXPECT_EQ(r.lines().at(1), "12-07 11:00\t123.4\t0\t0\t0");
}

TEST(GatherImmediate, NoDeviceAtStartShowsMessageAndStartsNothing) {
    Rig r(makeLocalTime(2024, 12, 7, 10, 0));
    r.bus.ctx.CurrentAddress = 0;
    r.session.GatherDone = 0;
    EXPECT_FALSE(r.session.startImmediate("1", "1"));
    EXPECT_EQ(r.bus.messages.texts(),
              std::vector<std::string>{"No device, you can not search the data!"});
    EXPECT_EQ(r.session.GatherDone.load(), 1);
    EXPECT_TRUE(std::filesystem::is_empty(r.dir.path()));
}

TEST(GatherImmediate, RefusedTimerShowsExclamationAndWritesNoFile) {
    Rig r(makeLocalTime(2024, 12, 7, 10, 0));
    Worker::failNextStartForTest();
    EXPECT_FALSE(r.session.startImmediate("1", "1"));
    const auto e = r.bus.messages.entries();
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].text, "Not enough memory assigned to the timer!");
    EXPECT_EQ(e[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(std::filesystem::is_empty(r.dir.path()));
}

TEST(GatherImmediate, SilentDeviceSkipsTicksUntilCancelAndCountsNothing) {
    Rig r(makeLocalTime(2024, 12, 7, 10, 0));
    SimFaults f;
    f.silent = true;
    r.bus.sim.setFaults(3, f);
    ASSERT_TRUE(r.session.startImmediate("1", "10"));
    // Let a few ticks go by without an answer.
    while (r.clock->sleeps() < 4) std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(r.session.finished());
    EXPECT_EQ(r.session.remaining(), 600);
    r.session.cancel();
    ASSERT_TRUE(r.waitFinished(2s));
    EXPECT_EQ(r.lines().size(), 1u);  // the header only
    EXPECT_TRUE(r.bus.messages.texts().empty());
}

TEST(GatherImmediate, MaxMissesInARowEndASilentAcquisitionWithAMessage) {
    Rig r(makeLocalTime(2024, 12, 7, 10, 0));
    SimFaults f;
    f.silent = true;
    r.bus.sim.setFaults(3, f);
    ASSERT_TRUE(r.session.start(immediatePlan(10, 60s, 3)));
    ASSERT_TRUE(r.waitFinished());
    EXPECT_TRUE(r.session.missLimitReached());
    EXPECT_EQ(r.session.misses(), 3);
    EXPECT_EQ(r.session.taken(), 0);
    EXPECT_EQ(
        r.bus.messages.texts(),
        std::vector<std::string>{"Device did not answer 3 times in a row, acquisition ended!"});
}

TEST(GatherImmediate, MissesThatAreNotInARowDoNotEndTheAcquisition) {
    // Silent at ticks 1, 2, 4, 5, answering at 3, 6 and 7: never three misses in a row.
    auto clock = std::make_shared<HookedClock>(makeLocalTime(2024, 12, 7, 10, 0));
    Rig r(clock);
    clock->afterSleep = [&r](int n) {
        SimFaults f;
        f.silent = n != 3 && n < 6;
        r.bus.sim.setFaults(3, f);
    };
    ASSERT_TRUE(r.session.start(immediatePlan(3, 60s, 3)));
    ASSERT_TRUE(r.waitFinished());
    EXPECT_FALSE(r.session.missLimitReached());
    EXPECT_EQ(r.session.taken(), 3);
    EXPECT_EQ(r.session.misses(), 4);
    const auto l = r.lines();
    ASSERT_EQ(l.size(), 4u);
    EXPECT_EQ(l[1].substr(0, 11), "12-07 10:03");
    EXPECT_EQ(l[3].substr(0, 11), "12-07 10:07");
}

// Ticks are kept on the steady clock and stamped with the wall clock: setting the system's time
// back an hour must not hold the next sample back an hour, nor setting it forward bunch them.
TEST(GatherSchedule, WallClockStepsNeitherDelayNorBunchSamples) {
    for (const auto step : {-60min, 60min}) {
        SCOPED_TRACE(step.count());
        auto clock = std::make_shared<HookedClock>(makeLocalTime(2024, 12, 7, 10, 0));
        Rig r(clock);
        clock->afterSleep = [&clock, step](int n) {
            if (n == 2)
                clock->stepWall(step);
        };
        const auto steady0 = clock->steadyNow();
        ASSERT_TRUE(r.session.startImmediate("10", "1"));
        ASSERT_TRUE(r.waitFinished());
        EXPECT_EQ(clock->steadyNow() - steady0, 60min);  // six samples, ten minutes apart
        const auto l = r.lines();
        ASSERT_EQ(l.size(), 7u);
        const auto stamp = [&](int minutes) {
            return recordTimeText(Clock::localTime(makeLocalTime(2024, 12, 7, 10, 0) +
                                                   std::chrono::minutes(minutes)));
        };
        EXPECT_EQ(l[1].substr(0, 11), stamp(10));
        EXPECT_EQ(l[2].substr(0, 11), stamp(20 + static_cast<int>(step.count())));
        EXPECT_EQ(l[6].substr(0, 11), stamp(60 + static_cast<int>(step.count())));
    }
}

TEST(GatherProgress, ShowsSamplesOfPlannedLastValueWithUnitAndNextTime) {
    Rig r(makeLocalTime(2024, 12, 7, 10, 0));
    BasicSettings b = r.bus.ctx.basicSettings();
    b.SignalUnitText = "kPa";
    r.bus.ctx.setBasicSettings(b);
    std::string midway;
    r.clock->afterSleep = [&r, &midway](int n) {
        if (n == 3)
            midway = r.session.progress().snapshot().text();
    };
    ASSERT_TRUE(r.session.startImmediate("10", "1"));
    ASSERT_TRUE(r.waitFinished());
    // Published before the third wait, after two samples.
    EXPECT_EQ(midway, "2 of 6 samples taken\nLast value: 1234 kPa\nNext sample at 10:30:00");
    const ProgressSnapshot end = r.session.progress().snapshot();
    EXPECT_EQ(end.text(), "6 of 6 samples taken\nLast value: 1234 kPa");
    EXPECT_EQ(end.done, 6);
    EXPECT_EQ(end.total, 6);
}

TEST(GatherImmediate, DeviceThatStopsAnsweringMidwayLosesOnlyItsTicks) {
    Rig r(makeLocalTime(2024, 12, 7, 10, 0));
    ASSERT_TRUE(r.session.startImmediate("1", "100"));
    while (r.session.taken() < 3) std::this_thread::sleep_for(1ms);
    SimFaults f;
    f.badCrc = true;
    r.bus.sim.setFaults(3, f);
    const int before = r.session.taken();
    while (r.clock->sleeps() < before + 6) std::this_thread::sleep_for(2ms);
    r.session.cancel();
    ASSERT_TRUE(r.waitFinished(2s));
    EXPECT_LE(r.session.taken(), before + 1);
    EXPECT_EQ(static_cast<int>(r.lines().size()) - 1, r.session.taken());
}

TEST(GatherImmediate, HugeIntervalWaitsInsteadOfWrappingIntoThePast) {
    const auto start = makeLocalTime(2024, 12, 7, 10, 0, 30);
    Rig r(start);
    // 200,000,000 minutes (about 380 years) for one sample: the first tick lies beyond what a
    // time point can hold, so it waits for ever rather than firing at once.
    ASSERT_TRUE(r.session.startImmediate("200000000", "4000000"));
    ASSERT_TRUE(r.waitFinished());
    EXPECT_GT(r.clock->now(), start + std::chrono::hours(24 * 365 * 200));
    const auto l = r.lines();
    ASSERT_EQ(l.size(), 2u);
    EXPECT_NE(l[1].substr(0, 11), "12-07 10:00");
}

TEST(GatherImmediate, PortHangUpEndsTheAcquisition) {
    Rig r(makeLocalTime(2024, 12, 7, 10, 0));
    ASSERT_TRUE(r.session.startImmediate("1", "100"));
    while (r.session.taken() < 2) std::this_thread::sleep_for(1ms);
    r.bus.sim.hangUp();
    ASSERT_TRUE(r.waitFinished(5s));
    EXPECT_TRUE(r.session.readFailed());
    EXPECT_LT(r.session.taken(), 6000);
}

TEST(GatherImmediate, CancelledAcquisitionNeverWritesIntoTheNextFile) {
    Rig r(makeLocalTime(2024, 12, 7, 10, 0));
    ASSERT_TRUE(r.session.startImmediate("1", "100"));
    while (r.session.taken() < 2) std::this_thread::sleep_for(1ms);
    r.session.cancel();
    ASSERT_TRUE(r.waitFinished(2s));
    const auto first = r.session.recordPath();
    const auto firstLines = r.lines().size();
    r.clock->advance(5s);  // a new file name
    r.bus.ctx.setLiveSelections("K1", "0.000");
    ASSERT_TRUE(r.session.startImmediate("60", "1"));
    ASSERT_TRUE(r.waitFinished());
    EXPECT_NE(r.session.recordPath(), first);
    const auto l = r.lines();
    ASSERT_EQ(l.size(), 2u);
    EXPECT_NE(l[1].find("1.234"), std::string::npos);
    auto old = readFileBytes(first.string());
    EXPECT_EQ(std::count(old.begin(), old.end(), '\n'), static_cast<long>(firstLines));
}

// A header that cannot be written stops the acquisition before its first tick: the first sample
// would otherwise become the column names. Nothing is left behind, and the reason is told.
TEST(GatherImmediate, HeaderThatCannotBeWrittenStopsAtOnceWithTheReason) {
    struct Case {
        const char* name;
        bool fullDisk;
        const char* dataDir;  // below the test's folder
        int reason;
    };
    const Case cases[] = {
        {"folder below a file", false, "blocker/Data", ENOTDIR},
        {"disk full", true, "Data", ENOSPC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r(makeLocalTime(2024, 12, 7, 10, 0));
        writeFileBytes(r.dir.file("blocker"), "x");
        r.bus.ctx.dataDir = r.dir.file(c.dataDir);
        {
            std::optional<FailingWrites> full;
            if (c.fullDisk)
                full.emplace(ENOSPC, 4);
            EXPECT_FALSE(r.session.startImmediate("30", "1"));
        }
        EXPECT_TRUE(r.session.finished());
        EXPECT_FALSE(r.session.headerWritten());
        EXPECT_EQ(r.clock->sleeps(), 0);  // no tick was ever waited for
        const auto e = r.bus.messages.entries();
        ASSERT_EQ(e.size(), 1u);
        EXPECT_EQ(e[0].text, "File Open Failed!");
        EXPECT_EQ(e[0].detail, std::strerror(c.reason));
        if (c.fullDisk) {
            EXPECT_TRUE(std::filesystem::is_empty(r.bus.ctx.dataDir));  // no 0-byte record file
        }
    }
}

// A disk that fills up during the acquisition: the sample that found it full ends it, with the
// reason and what is on disk; the lines before it are whole.
TEST(GatherImmediate, SampleThatCannotBeWrittenStopsWithTheReasonAndTheCount) {
    Rig r(makeLocalTime(2024, 12, 7, 10, 0));
    const std::size_t line = recordSampleLine(std::tm{}, "1234").size();
    // Room for the header, two lines and a part of the third.
    FailingWrites full(ENOSPC, kRecordHeader.size() + 2 * line + 10);
    ASSERT_TRUE(r.session.startImmediate("1", "1"));
    ASSERT_TRUE(r.waitFinished());
    EXPECT_EQ(r.session.taken(), 2);
    EXPECT_EQ(r.session.lost(), 1);
    EXPECT_TRUE(r.session.writeFailed());
    EXPECT_EQ(r.lines().size(), 3u);  // header and two whole samples
    const auto e = r.bus.messages.entries();
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].text, "File Open Failed!");
    EXPECT_EQ(e[0].detail, std::string(std::strerror(ENOSPC)) + "\n2 of 60 samples written");
}

// Two acquisitions started in the same second (two buses, two programs) never share a file.
TEST(GatherImmediate, SecondAcquisitionOfTheSameSecondTakesTheNextFreeNameAndSaysSo) {
    Rig r(makeLocalTime(2024, 12, 7, 10, 0));
    Rig other(makeLocalTime(2024, 12, 7, 10, 0));  // a second bus on its own clock
    other.bus.ctx.dataDir = r.dir.path();
    ASSERT_TRUE(r.session.startImmediate("1", "100"));
    GatherSession& second = other.session;
    ASSERT_TRUE(second.startImmediate("1", "1"));
    EXPECT_EQ(r.session.recordPath().filename(), "20241207100000.rec");
    EXPECT_EQ(second.recordPath().filename(), "20241207100000-2.rec");
    EXPECT_TRUE(r.bus.messages.texts().empty());
    EXPECT_EQ(other.bus.messages.texts(),
              std::vector<std::string>{
                  "20241207100000.rec is held by another acquisition: this one writes "
                  "20241207100000-2.rec"});
    second.cancel();
    second.wait();
    r.session.cancel();
    r.session.wait();
}

TEST(GatherImmediate, CurrentAddressGoneAtATickEndsWithMessage) {
    Rig r(makeLocalTime(2024, 12, 7, 10, 0));
    ASSERT_TRUE(r.session.startImmediate("1", "100"));
    while (r.session.taken() < 1) std::this_thread::sleep_for(1ms);
    r.bus.ctx.CurrentAddress = 0;
    ASSERT_TRUE(r.waitFinished());
    EXPECT_EQ(r.bus.messages.texts(),
              std::vector<std::string>{"No device, you can not search the data!"});
}

TEST(GatherReservation, BeginsAtTheStartMinuteEvenWhenTheIntervalDoesNotFallThere) {
    // Pressed at 09:50 for 10:00 with 7 minutes: sampling begins at 10:00, not never.
    Rig r(makeLocalTime(2024, 12, 7, 9, 50, 0));
    const auto start = makeLocalTime(2024, 12, 7, 10, 0, 20);
    ASSERT_TRUE(r.session.startReservation(start, start + 21min, "7"));
    ASSERT_TRUE(r.waitFinished());
    const auto l = r.lines();
    ASSERT_EQ(l.size(), 4u);
    EXPECT_EQ(l[1].substr(0, 11), "12-07 10:00");
    EXPECT_EQ(l[2].substr(0, 11), "12-07 10:07");
    EXPECT_EQ(l[3].substr(0, 11), "12-07 10:14");
    EXPECT_EQ(r.session.ScheduleStarted.load(), 0);
}

TEST(GatherReservation, SpanShorterThanIntervalWritesHeaderOnlyAtStartMinute) {
    Rig r(makeLocalTime(2024, 12, 7, 9, 50, 0));
    const auto start = makeLocalTime(2024, 12, 7, 10, 0);
    ASSERT_TRUE(r.session.startReservation(start, start + 5min, "10"));
    ASSERT_TRUE(r.waitFinished());
    EXPECT_EQ(r.lines().size(), 1u);
    EXPECT_GE(r.clock->now(), start);  // it waited for the start minute
    EXPECT_EQ(r.session.taken(), 0);
}

TEST(GatherReservation, StartMinuteAlreadyPastSamplesOnlyUntilTheEnd) {
    // 10:00 to 10:20 every 5 minutes, pressed at 10:07:30: the whole intervals left from 10:07,
    // two, sampled at 10:07:30 and 10:12:30 (it used to take all four planned ones, up to
    // 10:22:30, past the end).
    Rig r(makeLocalTime(2024, 12, 7, 10, 7, 30));
    const auto start = makeLocalTime(2024, 12, 7, 10, 0);
    int shown = -1;
    ASSERT_TRUE(r.session.startReservation(start, start + 20min, "5", [&](int n) { shown = n; }));
    EXPECT_EQ(shown, 2);  // 13 whole minutes from 10:07 to 10:20
    ASSERT_TRUE(r.waitFinished());
    const auto l = r.lines();
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[1].substr(0, 11), "12-07 10:07");
    EXPECT_EQ(l[2].substr(0, 11), "12-07 10:12");
}

TEST(GatherReservation, EndAlreadyPastIsRefusedWithAMessage) {
    // Start 10:00, end 10:20, pressed at 10:30 (the start picker shows when the page was built).
    Rig r(makeLocalTime(2024, 12, 7, 10, 30, 0));
    const auto start = makeLocalTime(2024, 12, 7, 10, 0);
    EXPECT_FALSE(r.session.startReservation(start, start + 20min, "10"));
    EXPECT_EQ(r.bus.messages.texts(), std::vector<std::string>{std::string(kEndPassedMessage)});
    EXPECT_TRUE(std::filesystem::is_empty(r.dir.path()));
    // Within the start minute nothing is lost: both samples of 10:00 .. 10:20.
    EXPECT_EQ(GatherSession::checkReservation(start, start + 20min, "10", start + 40s).count, 2);
}

TEST(GatherReservation, SilentDeviceEndsAtTheEndTimeInsteadOfSamplingPastIt) {
    Rig r(makeLocalTime(2024, 12, 7, 9, 55));
    SimFaults f;
    f.silent = true;
    r.bus.sim.setFaults(3, f);
    const auto start = makeLocalTime(2024, 12, 7, 10, 0);
    ASSERT_TRUE(r.session.startReservation(start, start + 30min, "10"));
    ASSERT_TRUE(r.waitFinished());
    EXPECT_EQ(r.session.taken(), 0);
    EXPECT_EQ(r.session.misses(), 3);  // 10:00, 10:10, 10:20; nothing at 10:30
    EXPECT_EQ(r.clock->now(), start + 30min);
}

// A clock on which the start minute never comes: only a stop request ends a wait.
class FrozenClock : public Clock {
public:
    explicit FrozenClock(TimePoint t) : t_(t) {}
    TimePoint now() const override { return t_; }
    bool sleepUntil(TimePoint, const std::atomic<int>& stop) override {
        ++waits;
        while (!stop.load()) std::this_thread::sleep_for(1ms);
        return false;
    }
    std::atomic<int> waits{0};

private:
    TimePoint t_;
};

TEST(GatherReservation, CancelWhileWaitingForTheStartMinuteEndsTheWorkerAtOnce) {
    TempDir dir;
    auto clock = std::make_shared<FrozenClock>(makeLocalTime(2024, 12, 7, 9, 0));
    TestBus bus({3}, 0.03, 115200, 1.0, clock);
    bus.open();
    bus.ctx.dataDir = dir.path();
    bus.ctx.CurrentAddress = 3;
    GatherSession session(bus.ctx);
    const auto start = makeLocalTime(2024, 12, 9, 10, 0);
    ASSERT_TRUE(session.startReservation(start, start + 60min, "10"));
    while (clock->waits.load() == 0) std::this_thread::sleep_for(1ms);
    EXPECT_FALSE(session.finished());
    // The wait dialog tells when the first sample comes (another day: with its date).
    EXPECT_EQ(session.progress().snapshot().text(),
              "0 of 6 samples taken\nFirst sample at 12-09 10:00:00");
    session.cancel();
    const auto until = std::chrono::steady_clock::now() + 2s;
    while (!session.finished() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(2ms);
    EXPECT_TRUE(session.finished());
    EXPECT_EQ(session.taken(), 0);
    EXPECT_TRUE(bus.sim.framesReceived().empty());
}

TEST(GatherRealClock, ShortAcquisitionOnTheSystemClock) {
    TempDir dir;
    TestBus bus({5}, 0.03);
    bus.open();
    bus.ctx.dataDir = dir.path();
    bus.ctx.CurrentAddress = 5;
    bus.ctx.setLiveSelections("K1", "0000");
    GatherSession session(bus.ctx);
    GatherSession::Plan plan;
    plan.mode = GatherSession::Mode::Immediate;
    plan.interval = 1s;
    plan.count = 2;
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(session.start(plan));
    session.wait();
    const auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_EQ(session.taken(), 2);
    EXPECT_GE(took, 1900ms);
    EXPECT_LT(took, 5s);
    RecordTable table;
    ImportState state;
    RecordingMessages m;
    EXPECT_EQ(importRecordFile(session.recordPath(), table, state, m), ImportOutcome::Loaded);
    EXPECT_EQ(state.Values.size(), 2u);
}
