// Every operation that uses the bus against every fault the simulator can play, with shrunken
// timing, in both response time-out modes: no crash, no wait past the operation's deadlines, the
// operator's messages exactly, no value taken from the wrong answer, no success reported for a
// failure. The line is in-process: its clock moves only as the bus waits, so every fault lands
// at the same point of the operation on every run, however loaded the machine.
//
// Device 1 carries the fault, device 2 is healthy; both are online. A stream of bytes jams the
// whole line (device 2's answer waits behind it), a hang-up kills it before the operation or
// right after its first request.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "acquisition/GatherSession.h"
#include "calibration/OutputCalibration.h"
#include "calibration/SensorCalibration.h"
#include "config/DeviceSearch.h"
#include "config/Download.h"
#include "link/RegisterMap.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TestBus.h"

namespace {

using namespace std::chrono_literals;
using Texts = std::vector<std::string>;

constexpr double kScale = 0.015;
const std::string kReadHungUp = "Error Code5read serial operation failed!";
const std::string kWriteHungUp = "Error Code5,Write serial operation failed!";

// What an operation can tell of a fault.
enum class Effect { Healthy, DeviceLost, LineJammed, DeadBefore, DeadDuring };

struct Fault {
    const char* name;
    Effect effect;
    SimFaults device;  // what device 1 does
    int hangUpAfter;   // the line hangs up after this many requests; 0 before any, -1 never
};

const Fault kFaults[] = {
    {"none", Effect::Healthy, {}, -1},
    {"silence", Effect::DeviceLost, {.silent = true}, -1},
    {"bad CRC", Effect::DeviceLost, {.badCrc = true}, -1},
    {"short answer", Effect::DeviceLost, {.shortAnswer = true}, -1},
    {"garbage", Effect::DeviceLost, {.garbage = true}, -1},
    // Past every window of the matrix (wire time + 20 ms at most): it arrives during a later
    // exchange or wait.
    {"late answer", Effect::DeviceLost, {.lateMs = 45}, -1},
    {"exception answer", Effect::DeviceLost, {.refuse = true}, -1},
    // Outlasts every operation; the healthy device's answer waits behind it.
    {"stream of bytes", Effect::LineJammed, {.streamMs = 20000}, -1},
    {"hang-up before", Effect::DeadBefore, {}, 0},
    {"hang-up during", Effect::DeadDuring, {}, 1},
};

struct Rig {
    Rig(const Fault& f, int timeoutMs) : fault(f), bus(TestBus::inProcess({1, 2}), kScale) {
        SerialSettings s = bus.settings();
        s.ResponseTimeoutMs = timeoutMs;
        if (!bus.ctx.bus.Open(s).ok())
            throw std::runtime_error("cannot open the simulated bus");
        bus.messages.clear();
        bus.ctx.OnlineTable[0] = 1;
        bus.ctx.OnlineTable[1] = 1;
        bus.ctx.dataDir = dir.path();
    }

    // After the operation's own set-up: the fault, then the clock starts a moment later, as an
    // operator's next action comes.
    void strike() {
        bus.sim.setFaults(1, fault.device);
        bus.messages.clear();
        bus.sim.clearFramesReceived();
        if (fault.hangUpAfter == 0)
            bus.sim.hangUp();
        if (fault.hangUpAfter > 0)
            bus.sim.hangUpAfter(static_cast<std::size_t>(fault.hangUpAfter));
        static_cast<FakeClock&>(*bus.lineClock).advance(100ms);
        started = bus.now();
    }

    // The operation ended within its deadlines (plus the room the answers' pieces may take),
    // on the line's clock.
    void endedWithin(double budgetMs) const {
        const double took = std::chrono::duration<double, std::milli>(bus.now() - started).count();
        EXPECT_LE(took, budgetMs * 1.2 + 400.0) << "took " << took << " ms";
    }

    // Classic windows at the matrix's scale, in ms.
    static double window(int waitMs, int answerBytes) {
        return (waitMs + 10 * answerBytes + 500) * kScale;
    }
    static double scaled(int ms) { return ms * kScale; }

    Effect effect() const { return fault.effect; }
    // The message of a line that died, or none.
    Texts hungUp(const std::string& during = kReadHungUp) const {
        if (effect() == Effect::DeadBefore)
            return {kWriteHungUp};
        if (effect() == Effect::DeadDuring)
            return {during};
        return {};
    }
    bool dead() const { return effect() == Effect::DeadBefore || effect() == Effect::DeadDuring; }
    // The devices whose answers an operation that asks both may take.
    std::vector<int> answering() const {
        if (effect() == Effect::Healthy)
            return {1, 2};
        if (effect() == Effect::DeviceLost)
            return {2};
        return {};
    }

    const Fault& fault;
    TempDir dir;
    TestBus bus;
    std::chrono::steady_clock::time_point started;
};

void ordinarySearch(Rig& r) {
    r.strike();
    config::SearchState st;
    const config::SearchOutcome out = config::ScanFirstDevice(r.bus.ctx, st);
    if (!out.message.empty())
        r.bus.messages.show(out.message);
    r.endedWithin(60 * Rig::window(Timing::kSearchWaitMs, 43));
    const Effect e = r.effect();
    const int found = e == Effect::Healthy ? 1 : e == Effect::DeviceLost ? 2 : 0;
    EXPECT_EQ(r.bus.ctx.CurrentAddress.load(), found);
    EXPECT_EQ(out.complete, found != 0);
    if (found != 0) {
        EXPECT_EQ(out.block[0], found);
        EXPECT_EQ(reg::ParameterBlock::fromAnswer(out.block).get(reg::Address), found);
    }
    EXPECT_EQ(r.bus.messages.texts(), r.dead()     ? r.hungUp()
                                      : found == 0 ? Texts{config::kNoOnlineDevice}
                                                   : Texts{});
}

void fullScan(Rig& r) {
    r.strike();
    config::SearchState st;
    const config::SearchOutcome out = config::ScanAllDevices(r.bus.ctx, st);
    r.endedWithin(60 * Rig::window(Timing::kScanWaitMs, 43));
    const std::vector<int> online = r.answering();
    EXPECT_EQ(r.bus.ctx.onlineAddresses(), online);
    EXPECT_EQ(st.SearchFailed.load(), r.dead() ? 1 : 0);
    EXPECT_EQ(out.complete, !r.dead());
    EXPECT_EQ(out.block[0], online.empty() ? 0 : 2);  // the last valid block, its own
    EXPECT_EQ(r.bus.messages.texts(), r.hungUp());
}

void singleDownload(Rig& r) {
    r.strike();
    const auto result = config::downloadToDevice(
        r.bus.ctx, config::singleDownloadFrame(1, config::BasicConfigModel{}).bytes);
    r.endedWithin(Rig::window(Timing::kNoWaitMs, 8) + Rig::scaled(Timing::kStoreWaitMs));
    const Effect e = r.effect();
    EXPECT_EQ(result, e == Effect::Healthy ? config::DownloadResult::Success
                      : r.dead()           ? config::DownloadResult::WriteFailed
                                           : config::DownloadResult::Failed);
    const std::string text = config::downloadMessage(result);
    if (!text.empty())
        r.bus.messages.show(text);
    EXPECT_EQ(r.bus.messages.texts(), r.dead()               ? r.hungUp()
                                      : e == Effect::Healthy ? Texts{config::kDownloadSuccess}
                                                             : Texts{config::kDownloadFailed});
}

// Writes to address 127 read no answer: only a dead line can fail them.
void batchDownload(Rig& r) {
    r.strike();
    const auto result = config::downloadToAll(r.bus.ctx, config::batchDownloadFrame({}).bytes);
    r.endedWithin(Rig::scaled(Timing::kStoreWaitMs));
    const bool failed = r.effect() == Effect::DeadBefore;
    EXPECT_EQ(result,
              failed ? config::DownloadResult::WriteFailed : config::DownloadResult::Success);
    EXPECT_EQ(r.bus.messages.texts(), failed ? Texts{kWriteHungUp} : Texts{});
}

void configuration(Rig& r) {
    r.strike();
    const int written =
        config::sendConfiguration(r.bus.ctx, config::configurationFrame(70000, 5).bytes);
    r.endedWithin(0);
    const bool failed = r.effect() == Effect::DeadBefore;
    EXPECT_EQ(written, failed ? 0 : 1);
    EXPECT_EQ(r.bus.messages.texts(), failed ? Texts{kWriteHungUp} : Texts{});
}

void calibrationAcquisition(Rig& r) {
    r.bus.sim.setAppliedPressure(0.8);
    auto rawOf = [](int address) {
        return std::to_string(SimDevice(static_cast<std::uint8_t>(address)).rawReading(0.8));
    };
    calib::SensorCalibration cal(r.bus.ctx);
    const calib::TargetSet targets =
        calib::targetSetFor(r.bus.ctx.basicSettings(), 2, "Pressure", 0);
    cal.prepareAcquisition(1);
    r.strike();
    calib::AcquisitionOutcome out;
    cal.acquire(1, targets, [&](const calib::AcquisitionOutcome& o) { out = o; });
    r.endedWithin(2 * Rig::window(Timing::kRegisterWaitMs, 7));
    EXPECT_EQ(cal.AcqFailed[0].load(), r.dead() ? 1 : 0);
    std::vector<int> answered;
    for (const auto& reading : out.readings) {
        answered.push_back(reading.address);
        // Each reading is its own device's: device 2's gain and offset differ from device 1's.
        EXPECT_EQ(reading.text, rawOf(reading.address));
    }
    EXPECT_EQ(answered, r.answering());
    EXPECT_EQ(cal.acquiredText(1), r.effect() == Effect::Healthy ? rawOf(1) : "");
    EXPECT_EQ(r.bus.messages.texts(), r.hungUp());
}

void calibrationDownload(Rig& r) {
    // Two points taken on a healthy bus; the fault strikes the download.
    BasicSettings basic;
    basic.RangeStart = 0.0f;
    basic.RangeEnd = 1.6f;
    basic.PointPositionText = "0.000";
    r.bus.ctx.setBasicSettings(basic);
    calib::SensorCalibration cal(r.bus.ctx);
    const calib::TargetSet targets = calib::targetSetFor(basic, 2, "Pressure", 0);
    // With the shrunken windows a loaded machine can miss a healthy answer; the set-up asks
    // again until both devices hold both readings, so only the download meets the fault.
    const auto bothRead = [&cal](int point) {
        const calib::CalibrationSnapshot s = cal.snapshot();
        for (int a : {1, 2}) {
            const calib::DeviceCalibration* d = s.device(a);
            if (!d || !d->readings[static_cast<std::size_t>(point - 1)])
                return false;
        }
        return true;
    };
    for (int point : {1, 2}) {
        r.bus.sim.setAppliedPressure(point == 1 ? 0.0 : 1.6);
        for (int attempt = 0; attempt < 5 && !bothRead(point); ++attempt) {
            cal.prepareAcquisition(point);
            cal.acquire(point, targets, {});
        }
        ASSERT_TRUE(bothRead(point)) << "point " << point;
    }
    cal.prepareDownload();
    r.strike();
    cal.computeAndDownload(targets, {});
    r.endedWithin(2 *
                  (Rig::window(Timing::kRegisterWaitMs, 8) + Rig::scaled(Timing::kStoreWaitMs)));
    const Effect e = r.effect();
    EXPECT_EQ(cal.KBDownloadFailed.load(), r.dead() ? 1 : 0);
    Texts expected;
    // A run that wrote a device ends with its completion message; one cut short by the line
    // says what each device holds: device 1's write went out before the hang-up during it.
    if (e == Effect::DeadBefore)
        expected = {kWriteHungUp};
    else if (e == Effect::DeadDuring)
        expected = {kReadHungUp, calib::downloadInterruptedText({}, {1}, {2}).text()};
    else if (e == Effect::DeviceLost)
        expected = {calib::writeVerifyFailedText(1).text(), calib::downloadCompleteText({}).text()};
    else if (e == Effect::LineJammed)
        expected = {calib::writeVerifyFailedText(1).text(), calib::writeVerifyFailedText(2).text()};
    else
        expected = {calib::downloadCompleteText({}).text()};
    EXPECT_EQ(r.bus.messages.texts(), expected);
    if (!r.answering().empty()) {  // the healthy device holds its own coefficients
        EXPECT_EQ(r.bus.sim.coefficients(2)->first, cal.coefK(2));
    }
}

void outputCommand(Rig& r) {
    r.strike();
    const int sent = calib::sendOutputCommand(r.bus.ctx, calib::kCommandLow);
    r.endedWithin(2 * Rig::window(Timing::kNoWaitMs, 8));
    EXPECT_EQ(sent, r.dead() ? -1 : 2);
    EXPECT_EQ(r.bus.messages.texts(), r.hungUp());
    if (!r.answering().empty()) {  // its echo is in: the healthy device took the command
        EXPECT_EQ(*r.bus.sim.reg(2, reg::OutputCommand), calib::kCommandLow);
    }
}

void outputCoefficients(Rig& r) {
    r.strike();
    std::atomic<int> done{0}, cancel{0};
    const calib::OutputDownload result = calib::downloadOutputCoefficients(
        r.bus.ctx, calib::OutputKind::Current, 4.25f, 3.5f, done, cancel);
    r.endedWithin(2 *
                  (Rig::scaled(Timing::kOutputCommandWaitMs) +
                   Rig::window(Timing::kRegisterWaitMs, 8) + Rig::scaled(Timing::kStoreWaitMs)));
    EXPECT_EQ(done.load(), 1);
    const Effect e = r.effect();
    Texts expected;
    // A dead line stops it among the commands, before any coefficients went out.
    EXPECT_EQ(result.lineFailed, r.dead());
    if (r.dead())
        expected = r.hungUp();
    else if (e == Effect::DeviceLost)
        expected = {calib::kVerifyFailed};
    else if (e == Effect::LineJammed)
        expected = {calib::kVerifyFailed, calib::kVerifyFailed};
    EXPECT_EQ(r.bus.messages.texts(), expected);
}

// Tick k comes at minute k and sends request k, which a counting device answers with k.
void expectEachRecordNamesItsRequest(const GatherSession& session) {
    const auto bytes = readFileBytes(session.recordPath().string());
    const std::string text(bytes.begin(), bytes.end());
    std::vector<std::string> lines;
    for (std::size_t p = 0, end; (end = text.find("\r\n", p)) != std::string::npos; p = end + 2)
        lines.push_back(text.substr(p, end - p));
    ASSERT_EQ(lines.size(), 1u + static_cast<std::size_t>(session.taken()));  // header + samples
    for (std::size_t i = 1; i < lines.size(); ++i) {
        // "12-07 10:0k\tv\t0\t0\t0"
        const int minute = std::stoi(lines[i].substr(9, 2));
        const int value = std::stoi(lines[i].substr(12));
        EXPECT_EQ(value, minute) << lines[i];
    }
}

// A collection of `count` samples of register 23 of device 1, whose value counts its reads, on a
// fake clock (ticks follow each other at once), a minute apart.
GatherSession::Plan collectFromCountingDevice(Rig& r, int count) {
    r.bus.ctx.clock = std::make_shared<FakeClock>(makeLocalTime(2024, 12, 7, 10, 0));
    r.bus.sim.setCountingReads(1, true);
    r.bus.ctx.CurrentAddress = 1;
    r.bus.ctx.setLiveSelections("K1", "0000");
    GatherSession::Plan plan;
    plan.interval = 60s;
    plan.count = count;
    return plan;
}

// A fake clock whose sleepers wait, really, once `hold` says so, until they are stopped.
class HeldClock : public FakeClock {
public:
    HeldClock(TimePoint start, std::function<bool()> hold)
        : FakeClock(start), hold_(std::move(hold)) {}
    bool sleepUntilSteady(SteadyPoint t, const std::atomic<int>& stop) override {
        while (hold_() && !stop.load()) std::this_thread::sleep_for(1ms);
        return FakeClock::sleepUntilSteady(t, stop);
    }

private:
    std::function<bool()> hold_;
};

// Each record names its own request (tick k at minute k records k), or is missing.
void dataCollection(Rig& r) {
    const GatherSession::Plan plan = collectFromCountingDevice(r, 3);
    // A lost device never completes its count: four requests are enough to judge, and the
    // ticks stop there until the session is cancelled.
    r.bus.ctx.clock = std::make_shared<HeldClock>(
        makeLocalTime(2024, 12, 7, 10, 0), [&r] { return r.bus.sim.framesReceived().size() >= 4; });
    GatherSession session(r.bus.ctx);
    r.strike();
    ASSERT_TRUE(session.start(plan));
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (!session.finished() && r.bus.sim.framesReceived().size() < 4 &&
           std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(1ms);
    session.cancel();
    session.wait();
    // A few ticks, each after a guard of at most four windows.
    r.endedWithin(5 * 5 * Rig::window(Timing::kRegisterWaitMs, 7));
    const Effect e = r.effect();
    EXPECT_EQ(session.readFailed(), r.dead());
    EXPECT_EQ(session.taken(), e == Effect::Healthy ? 3 : 0);
    expectEachRecordNamesItsRequest(session);
    EXPECT_EQ(r.bus.messages.texts(), r.hungUp());
}

// `collect` against a device answering late recorded every sample one request late.
TEST(DataCollection, EverySampleIsTheAnswerToItsOwnRequestOrMissing) {
    for (int timeoutMs : {0, 20}) {
        SCOPED_TRACE(timeoutMs);
        Rig r(kFaults[0], timeoutMs);
        const GatherSession::Plan plan = collectFromCountingDevice(r, 4);
        // Requests 1, 3, 5 ... answered late, the others in time.
        r.bus.sim.setFaults(1, {.lateMs = 30, .lateEvery = 2});
        GatherSession session(r.bus.ctx);
        ASSERT_TRUE(session.start(plan));
        session.wait();
        EXPECT_EQ(session.taken(), 4);
        expectEachRecordNamesItsRequest(session);
        EXPECT_TRUE(r.bus.messages.texts().empty());
    }
}

// `collect` against a refusing device said "Device did not answer 3 times in a row".
TEST(DataCollection, RefusingDeviceIsNamedWithItsException) {
    Rig r(kFaults[0], 20);
    GatherSession::Plan plan = collectFromCountingDevice(r, 3);
    plan.maxMisses = 2;
    r.bus.sim.setFaults(1, {.exceptionCode = 2});
    GatherSession session(r.bus.ctx);
    ASSERT_TRUE(session.start(plan));
    session.wait();
    EXPECT_EQ(session.taken(), 0);
    const std::string refused = "Device 1 refused the request: exception 2, illegal data address";
    EXPECT_EQ(r.bus.messages.texts(), Texts{refused});
    EXPECT_EQ(r.bus.messages.lastStatus(), refused);
}

struct Operation {
    const char* name;
    void (*run)(Rig&);
};

const Operation kOperations[] = {
    {"ordinary search", ordinarySearch},
    {"full scan", fullScan},
    {"single download", singleDownload},
    {"batch download", batchDownload},
    {"Configuration", configuration},
    {"calibration acquisition", calibrationAcquisition},
    {"K and B download", calibrationDownload},
    {"output command", outputCommand},
    {"output coefficient download", outputCoefficients},
    {"data collection", dataCollection},
};

class FaultMatrix : public ::testing::TestWithParam<int> {};

TEST_P(FaultMatrix, EveryOperationMeetsEveryFaultSafely) {
    for (const Operation& op : kOperations) {
        for (const Fault& f : kFaults) {
            SCOPED_TRACE(std::string(op.name) + " / " + f.name);
            Rig rig(f, GetParam());
            op.run(rig);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ResponseTimeOut, FaultMatrix, ::testing::Values(0, 20),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == 0 ? std::string("Classic")
                                                    : std::to_string(info.param) + "ms";
                         });

}  // namespace
