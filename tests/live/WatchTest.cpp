#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <sstream>

#include "link/RegisterMap.h"
#include "live/CsvSink.h"
#include "live/Watch.h"
#include "tests/live/LiveDevices.h"
#include "tests/support/FailingWrites.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TestBus.h"

namespace {

// Devices 3, 7 and 12 at three point positions and units; register 23 counts its reads, so
// the n-th round reads n at every device.
struct Rig {
    explicit Rig(std::shared_ptr<Clock> clock = nullptr)
        : bus({3, 7, 12}, 0.05, 115200, 1.0, std::move(clock)) {
        watchedDevice(bus, 3, 0, 1);   // "0000", MPa
        watchedDevice(bus, 7, 1, 7);   // "000.0", ℃
        watchedDevice(bus, 12, 3, 9);  // "0.000", m
        bus.open();
    }
    TestBus bus;
};

// Keeps every round and runs `after` once each round has been taken.
struct Recorder : live::RoundSink {
    std::vector<live::Round> rounds;
    std::function<void(const live::Round&)> after;
    bool take(const live::Round& round, const std::vector<live::DeviceState>&) override {
        rounds.push_back(round);
        if (after)
            after(round);
        return true;
    }
    const live::Reading& at(std::size_t round, int address) const {
        for (const live::Reading& r : rounds.at(round).readings)
            if (r.address == address)
                return r;
        throw std::out_of_range("no such address");
    }
};

// Requests of function 0x04 to `address` starting at register `first`.
int reads(const SimBus& sim, int address, int first) {
    int n = 0;
    for (const auto& f : sim.framesReceived())
        n += f.bytes.size() >= 4 && f.bytes[0] == address && f.bytes[1] == 0x04 &&
             f.bytes[3] == first;
    return n;
}

live::WatchPlan planOf(std::vector<int> addresses, long long count, int maxMisses = 3,
                       std::chrono::milliseconds interval = std::chrono::milliseconds(10)) {
    live::WatchPlan p;
    p.addresses = std::move(addresses);
    p.count = count;
    p.maxMisses = maxMisses;
    p.interval = interval;
    return p;
}

}  // namespace

TEST(Watch, EachDeviceAtItsOwnPointPositionAndUnitTheBlockReadOnce) {
    Rig rig;
    live::Watch watch(rig.bus.ctx, planOf({3, 7, 12}, 3));
    Recorder rec;
    std::atomic<int> stop{0};
    ASSERT_EQ(watch.run(stop, {&rec}), live::WatchEnd::Done);
    ASSERT_EQ(rec.rounds.size(), 3u);
    const struct {
        int address;
        const char* values[3];
        const char* unit;
    } expected[] = {{3, {"1", "2", "3"}, "MPa"},
                    {7, {"0.1", "0.2", "0.3"}, "℃"},
                    {12, {"0.001", "0.002", "0.003"}, "m"}};
    for (const auto& e : expected)
        for (std::size_t n = 0; n < 3; ++n) {
            const live::Reading& r = rec.at(n, e.address);
            EXPECT_TRUE(r.answered);
            EXPECT_EQ(r.value, e.values[n]) << e.address << " round " << n + 1;
            EXPECT_EQ(r.unit, e.unit);
            // Online from the first answer, said once.
            EXPECT_EQ(r.onlineNow, n == 0 ? std::optional(true) : std::nullopt);
        }
    // One block read per device, then only register 23.
    for (int a : {3, 7, 12}) {
        EXPECT_EQ(reads(rig.bus.sim, a, reg::kBlockFirst), 1);
        EXPECT_EQ(reads(rig.bus.sim, a, reg::MeasuredValue), 3);
    }
    EXPECT_EQ(watch.devices()[1].pointPosition, "000.0");
}

TEST(Watch, SilentDeviceGoesOfflineAfterMaxMissesAndComesBack) {
    Rig rig;
    // 7 silent from the start (its block unread), answers from round 3, silent in rounds 5..7,
    // answers again in round 8.
    rig.bus.sim.setFaults(7, SimFaults{.silent = true});
    live::Watch watch(rig.bus.ctx, planOf({3, 7}, 8, 2));
    Recorder rec;
    rec.after = [&](const live::Round& r) {
        SimFaults f;
        f.silent = r.number == 1 || (r.number >= 4 && r.number <= 6);  // for the next round
        rig.bus.sim.setFaults(7, f);
    };
    std::atomic<int> stop{0};
    ASSERT_EQ(watch.run(stop, {&rec}), live::WatchEnd::Done);
    std::vector<std::optional<bool>> changes;
    std::string answered;
    for (std::size_t n = 0; n < rec.rounds.size(); ++n) {
        changes.push_back(rec.at(n, 7).onlineNow);
        answered += rec.at(n, 7).answered ? 'y' : '-';
    }
    EXPECT_EQ(answered, "--yy---y");
    const std::vector<std::optional<bool>> expected{std::nullopt, false, true,         std::nullopt,
                                                    std::nullopt, false, std::nullopt, true};
    EXPECT_EQ(changes, expected);
    // Its block was read once it answered: its value is at its own point position.
    EXPECT_EQ(rec.at(2, 7).value, "0.1");
    EXPECT_EQ(watch.devices()[1].misses, 5);
    EXPECT_EQ(watch.devices()[1].answers, 3);
}

TEST(Watch, RoundsKeepTheirScheduleOnTheSteadyClockAndOverrunsDoNotBurst) {
    const auto t0 = makeLocalTime(2026, 12, 9, 20, 15, 0);
    auto clock = std::make_shared<FakeClock>(t0);
    Rig rig(clock);
    live::Watch watch(rig.bus.ctx, planOf({3}, 5, 3, std::chrono::seconds(10)));
    Recorder rec;
    // Round 2 takes 25 s (an operator, a slow line): round 3 follows at once, then every 10 s.
    rec.after = [&](const live::Round& r) {
        if (r.number == 2)
            clock->advance(std::chrono::seconds(25));
    };
    std::atomic<int> stop{0};
    ASSERT_EQ(watch.run(stop, {&rec}), live::WatchEnd::Done);
    std::vector<long long> at;
    for (const live::Round& r : rec.rounds)
        at.push_back(std::chrono::duration_cast<std::chrono::seconds>(r.time - t0).count());
    EXPECT_EQ(at, (std::vector<long long>{0, 10, 35, 45, 55}));
}

TEST(Watch, StopsForAStopAFailedPortAndAnUnknownPointPosition) {
    {
        Rig rig;
        std::atomic<int> stop{0};
        live::Watch watch(rig.bus.ctx, planOf({3}, 0));
        Recorder rec;
        rec.after = [&](const live::Round& r) { stop = r.number == 2; };
        EXPECT_EQ(watch.run(stop, {&rec}), live::WatchEnd::Stopped);
        EXPECT_EQ(rec.rounds.size(), 2u);
    }
    {
        Rig rig;
        std::atomic<int> stop{0};
        live::Watch watch(rig.bus.ctx, planOf({3, 7}, 5));
        Recorder rec;
        rec.after = [&](const live::Round&) { rig.bus.sim.hangUp(); };
        EXPECT_EQ(watch.run(stop, {&rec}), live::WatchEnd::PortFailed);
        EXPECT_EQ(rec.rounds.size(), 1u);
    }
    {
        Rig rig;
        rig.bus.sim.setReg(7, reg::DotPos, 9);
        std::atomic<int> stop{0};
        live::Watch watch(rig.bus.ctx, planOf({3, 7}, 3, 2));
        Recorder rec;
        EXPECT_EQ(watch.run(stop, {&rec}), live::WatchEnd::Done);
        // No value of a point position nobody knows, and no read of it.
        EXPECT_EQ(watch.devices()[1].unknownPointCode, 9);
        EXPECT_FALSE(rec.at(2, 7).answered);
        EXPECT_EQ(reads(rig.bus.sim, 7, reg::MeasuredValue), 0);
        EXPECT_EQ(rec.at(2, 3).value, "3");
    }
}

TEST(Watch, IsoTimeCarriesTheLocalOffset) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    const auto t = std::chrono::system_clock::from_time_t(1796847303);  // 2026-12-09 20:15:03 UTC
    for (auto [zone, text] : {std::pair{"UTC0", "2026-12-09T20:15:03+00:00"},
                              {"CST-8", "2026-12-10T04:15:03+08:00"},
                              {"NST3:30", "2026-12-09T16:45:03-03:30"}}) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        EXPECT_EQ(live::isoTime(t), text) << zone;
    }
    old ? ::setenv("TZ", saved.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
}

namespace {

live::Round roundOf(long long n, std::vector<live::Reading> readings) {
    live::Round r;
    r.number = n;
    r.time = std::chrono::system_clock::from_time_t(1796847303);
    r.readings = std::move(readings);
    return r;
}

}  // namespace

TEST(CsvSink, HeaderOnceRowsOfAnswersOnlyAndAnExistingFileKept) {
    TempDir dir;
    const std::string path = dir.file("watch.csv");
    const live::Reading a{3, true, "12.41", "MPa", true};
    const live::Reading silent{7, false, "", "m", false};
    {
        live::CsvSink sink(path);
        ASSERT_EQ(sink.open(), 0);
        ASSERT_TRUE(sink.take(roundOf(1, {a, silent}), {}));
        EXPECT_EQ(sink.rows(), 1);
    }
    // A second watch appends; a file cut in mid-row (a crash) gets its line end first.
    writeFileBytes(path, readFileText(path) + "2026-12-09T20:15");
    {
        live::CsvSink sink(path);
        ASSERT_EQ(sink.open(), 0);
        ASSERT_TRUE(sink.take(roundOf(2, {a}), {}));
    }
    const std::string row = "2026-12-09T20:15:03+00:00,3,12.41,MPa\r\n";
    EXPECT_EQ(readFileText(path),
              "time,address,value,unit\r\n" + row + "2026-12-09T20:15\r\n" + row);
    // Held by the watch that writes it.
    live::CsvSink first(path), second(path);
    ASSERT_EQ(first.open(), 0);
    EXPECT_EQ(second.open(), EWOULDBLOCK);
}

TEST(CsvSink, AFullDiskStopsTheWatchWithNoHalfRow) {
    TempDir dir;
    const std::string path = dir.file("watch.csv");
    live::CsvSink sink(path);
    ASSERT_EQ(sink.open(), 0);
    const std::string before = readFileText(path);
    const live::Reading a{3, true, "1", "MPa", true}, b{7, true, "0.1", "m", true};
    {
        FailingWrites full(ENOSPC, 30);  // the first row and a part of the second
        EXPECT_FALSE(sink.take(roundOf(1, {a, b}), {}));
    }
    EXPECT_EQ(sink.error(), ENOSPC);
    EXPECT_EQ(readFileText(path), before);  // the round goes whole or not at all
    EXPECT_EQ(sink.rows(), 0);
}
