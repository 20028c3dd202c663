// Acquisition, compute-and-download and verification against the simulated bus, closed loop
// included.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "base/ProgressTexts.h"
#include "calibration/SensorCalibration.h"
#include "link/RegisterMap.h"
#include "tests/support/TestBus.h"

using namespace calib;

namespace {

constexpr double kScale = 0.03;

TargetSet pressure(int n, float start, float end, const std::string& pointPosition) {
    return {n, start, end, pointPosition, "Pressure", 0};
}

struct Bench {
    explicit Bench(std::vector<int> addresses, double scale = kScale)
        : bus(addresses, scale), cal(bus.ctx) {
        start(addresses);
    }
    // On the line `options` describe (in-process with a clock).
    Bench(SimBus::Options options, double scale) : bus(options, scale), cal(bus.ctx) {
        start(options.addresses);
    }
    void start(const std::vector<int>& addresses) {
        bus.open();
        for (int a : addresses) bus.ctx.OnlineTable[a - 1] = 1;
    }

    AcquisitionOutcome acquire(int point, double applied, bool* published = nullptr) {
        bus.sim.setAppliedPressure(applied);
        cal.prepareAcquisition(point);
        AcquisitionOutcome out;
        bool got = false;
        cal.acquire(point, targets, [&](const AcquisitionOutcome& o) {
            out = o;
            got = true;
        });
        if (published)
            *published = got;
        return out;
    }
    // Every point of the targets with its target value applied.
    void acquireAll() {
        const auto t = targetValues(targets);
        for (int k = 1; k <= targets.pointCount; ++k) acquire(k, t[k - 1]);
    }

    CalibrationSnapshot download() {
        cal.prepareDownload();
        cal.computeAndDownload(targets, [this] { ++changes; });
        return cal.snapshot();
    }
    CalibrationSnapshot verify(int point, double applied) {
        bus.sim.setAppliedPressure(applied);
        cal.prepareVerify();
        cal.verify(point, targets, nullptr);
        return cal.snapshot();
    }

    // Frames of `function` that reached the given address.
    int framesTo(int address, std::uint8_t function) const {
        int n = 0;
        for (const auto& f : bus.sim.framesReceived())
            if (f.bytes.size() > 1 && f.bytes[0] == address && f.bytes[1] == function)
                ++n;
        return n;
    }
    int writesTo(int address) const { return framesTo(address, 0x10); }
    int anyWrites() const {
        int n = 0;
        for (int a : bus.sim.addresses()) n += writesTo(a);
        return n;
    }

    TestBus bus;
    SensorCalibration cal;
    TargetSet targets = pressure(2, 0.0f, 40.0f, "0000");
    int changes = 0;
};

// Reads register 23 over the bus, as the program's own data collection would.
std::uint16_t measured(Bench& b, int address) {
    const ExchangeResult r = b.bus.ctx.bus.readInputRegisters(
        static_cast<std::uint8_t>(address), reg::MeasuredValue, 1, Timing::kRegisterWaitMs);
    EXPECT_TRUE(r.crcOk()) << "address " << address;
    return r.reg(0);
}

// Calibrates every device over the targets and checks that each reports the applied pressure,
// in units of the point position, to within one step.
void calibrateAndCheck(Bench& b) {
    const TargetSet& t = b.targets;
    const auto targets = targetValues(t);
    for (int k = 1; k <= t.pointCount; ++k) {
        const auto out = b.acquire(k, targets[k - 1]);
        ASSERT_EQ(out.readings.size(), b.bus.sim.addresses().size()) << "point " << k;
        ASSERT_EQ(b.cal.AcqDone[k - 1].load(), 1);
        ASSERT_EQ(b.cal.AcqFailed[k - 1].load(), 0);
    }
    const auto s = b.download();
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 1);
    EXPECT_EQ(b.cal.KBDownloadFailed.load(), 0);
    EXPECT_EQ(s.devices.size(), b.bus.sim.addresses().size());
    for (const auto& d : s.devices) {
        EXPECT_EQ(d.outcome, DeviceOutcome::Written) << d.address;
        EXPECT_FALSE(d.quality.marked) << d.address;
    }
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{downloadCompleteText({}).text()});

    const int scale = pointPositionScale(t.pointPosition);
    for (double applied :
         {static_cast<double>(t.rangeStart), (t.rangeStart + t.rangeEnd) / 3.0, t.rangeEnd * 0.9}) {
        b.bus.sim.setAppliedPressure(applied);
        for (int a : b.bus.sim.addresses())
            EXPECT_NEAR(measured(b, a), applied * scale, 1.0)
                << "address " << a << " at " << applied;
    }
}

}  // namespace

TEST(SensorCalibrationLoop, ThreePointsBringDevicesOfDifferentGainsToTheAppliedPressure) {
    Bench b({3, 8, 21});
    b.bus.sim.setGainOffset(3, 9000.0, 400.0);
    b.bus.sim.setGainOffset(8, 12500.0, 1500.0);
    b.bus.sim.setGainOffset(21, 7300.0, 2200.0);
    b.targets = pressure(3, 0.0f, 1.6f, "0.000");
    calibrateAndCheck(b);
}

TEST(SensorCalibrationLoop, FivePointsOnARangeThatDoesNotStartAtZero) {
    Bench b({1, 60});
    b.bus.sim.setGainOffset(1, 310.0, 900.0);
    b.bus.sim.setGainOffset(60, 455.5, 120.0);
    b.targets = pressure(5, 10.0f, 90.0f, "000.0");
    calibrateAndCheck(b);
}

// The store wait is the bus's own, on its clock: the whole of it passes there.
TEST(SensorCalibrationLoop, TwoPointsWithTheRealStoreWait) {
    Bench b(TestBus::inProcess({5}), 1.0);
    b.bus.sim.setGainOffset(5, 8000.0, 700.0);
    b.targets = pressure(2, 0.0f, 2.0f, "00.00");
    b.acquire(1, 0.0);
    b.acquire(2, 2.0);
    const auto started = b.bus.now();
    b.download();
    const auto took = b.bus.now() - started;
    EXPECT_GE(took, std::chrono::milliseconds(Timing::kStoreWaitMs));
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 1);
    b.bus.sim.setAppliedPressure(1.25);
    EXPECT_NEAR(*b.bus.sim.measuredValue(5), 125.0, 1.0);
}

TEST(SensorCalibrationLoop, LevelTargetsIncludeDensityAndGravity) {
    Bench b({4});
    b.bus.sim.setGainOffset(4, 2000.0, 300.0);
    b.targets = {2, 0.0f, 2.0f, "0000", "level", 1000};
    b.acquire(1, 0.0);
    b.acquire(2, 2.0);
    b.download();
    // A level of 1 m of water reads 9806.65 in the device's units.
    b.bus.sim.setAppliedPressure(1.0);
    EXPECT_NEAR(*b.bus.sim.measuredValue(4), 9806.65, 1.0);
}

TEST(SensorCalibrationAcquire, StoresEachDevicesReadingAndItsGridColumn) {
    Bench b({2, 9, 30});
    b.bus.sim.setGainOffset(9, 100.0, 50.0);
    const auto out = b.acquire(2, 3.0);
    ASSERT_EQ(out.readings.size(), 3u);
    EXPECT_EQ(out.readings[1].address, 9);
    EXPECT_EQ(out.readings[1].column, 2);
    EXPECT_EQ(out.readings[1].text, "350");
    EXPECT_EQ(out.readings[2].column, 3);
    EXPECT_EQ(b.cal.acquiredValue(9, 2), 350.0f);
    EXPECT_EQ(b.cal.acquiredText(9), "350");
    EXPECT_EQ(b.cal.acquiredValue(9, 1), 0.0f);
    EXPECT_EQ(b.cal.snapshot().device(9)->readings[0], std::nullopt);
}

TEST(SensorCalibrationAcquire, SilentDeviceIsNotCreditedWithItsNeighboursAnswer) {
    Bench b({3, 8});
    b.bus.sim.setGainOffset(3, 100.0, 10.0);
    b.bus.sim.setGainOffset(8, 200.0, 20.0);
    b.acquire(1, 1.0);
    b.bus.sim.setFaults(8, SimFaults{.silent = true});
    const auto out = b.acquire(2, 40.0);
    ASSERT_EQ(out.readings.size(), 1u);
    EXPECT_EQ(out.readings[0].address, 3);
    EXPECT_EQ(b.cal.acquiredValue(8, 2), 0.0f);  // not 4010, device 3's answer
    EXPECT_EQ(b.cal.acquiredText(8), "220");     // still its point-1 reading
    EXPECT_EQ(b.cal.acquiredValue(3, 2), 4010.0f);

    // Fitting device 8 with a point it never delivered would corrupt its calibration.
    b.bus.sim.clearFramesReceived();
    const auto s = b.download();
    EXPECT_EQ(b.writesTo(8), 0);
    EXPECT_EQ(b.writesTo(3), 1);
    EXPECT_EQ(s.device(8)->outcome, DeviceOutcome::MissingReading);
    EXPECT_EQ(b.bus.messages.texts(), (std::vector<std::string>{missingReadingsText({8}).text(),
                                                                downloadCompleteText({}).text()}));
}

TEST(SensorCalibrationAcquire, CorruptAnswerLeavesTheEarlierReading) {
    Bench b({6});
    b.bus.sim.setGainOffset(6, 100.0, 10.0);
    b.acquire(1, 1.0);
    b.bus.sim.setFaults(6, SimFaults{.badCrc = true});
    bool published = false;
    const auto out = b.acquire(1, 5.0, &published);
    EXPECT_TRUE(published);
    EXPECT_TRUE(out.readings.empty());
    EXPECT_EQ(b.cal.acquiredValue(6, 1), 110.0f);
}

TEST(SensorCalibrationAcquire, NoDeviceOnlineShowsItsMessageAndPublishesNothing) {
    Bench b({});
    bool published = true;
    b.acquire(1, 1.0, &published);
    EXPECT_FALSE(published);
    EXPECT_EQ(b.cal.AcqDone[0].load(), 1);
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{kNoPortOrNoDevices});
    EXPECT_TRUE(b.bus.sim.framesReceived().empty());
}

TEST(SensorCalibrationAcquire, StopRequestEndsBeforeTheNextDevice) {
    Bench b({1, 2, 3});
    b.targets = pressure(3, 0.0f, 40.0f, "0000");
    b.cal.prepareAcquisition(3);
    b.cal.stopAcquisitions();
    bool published = false;
    b.cal.acquire(3, b.targets, [&](const AcquisitionOutcome&) { published = true; });
    EXPECT_FALSE(published);
    EXPECT_TRUE(b.bus.sim.framesReceived().empty());
    for (const auto& f : b.cal.AcqDone) EXPECT_EQ(f.load(), 1);
}

TEST(SensorCalibrationAcquire, ClosedPortSetsTheFailedFlag) {
    Bench b({1, 2});
    b.targets = pressure(5, 0.0f, 40.0f, "0000");
    b.bus.ctx.bus.Close();
    bool published = false;
    b.acquire(4, 1.0, &published);
    EXPECT_FALSE(published);
    EXPECT_EQ(b.cal.AcqFailed[3].load(), 1);
    EXPECT_EQ(b.cal.AcqDone[3].load(), 0);
}

TEST(SensorCalibrationAcquire, APointBeyondTheSetsCountReadsNothing) {
    Bench b({1});
    b.acquire(3, 1.0);  // two points
    EXPECT_EQ(b.cal.AcqDone[2].load(), 1);
    EXPECT_TRUE(b.bus.sim.framesReceived().empty());
}

// The reproduction: readings of a 5-point acquisition fitted to the targets of 3 points would
// give every device a wrong K and B (one then reads 152.0 at an applied 81.0), written silently.
TEST(ReadingsBelongToTheirTargets, FivePointReadingsAreNeverFittedToThreePointTargets) {
    Bench b({4, 9});
    b.bus.sim.setGainOffset(4, 90.0, 400.0);
    b.bus.sim.setGainOffset(9, 120.0, 150.0);
    b.targets = pressure(5, 0.0f, 160.0f, "000.0");
    b.acquireAll();
    b.targets.pointCount = 3;
    b.bus.sim.clearFramesReceived();
    const auto s = b.download();
    EXPECT_EQ(b.anyWrites(), 0);
    EXPECT_EQ(b.bus.messages.texts(),
              std::vector<std::string>{pointsNotAcquiredText({1, 2, 3}).text()});
    EXPECT_TRUE(s.devices.empty());                     // the readings went with their targets
    EXPECT_EQ(b.bus.sim.coefficients(4)->first, 0.0f);  // registers 24-27 never written
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 1);

    // Acquired again for 3 points, the same devices calibrate correctly.
    b.bus.messages.clear();
    b.acquireAll();
    b.download();
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{downloadCompleteText({}).text()});
    b.bus.sim.setAppliedPressure(81.0);
    for (int a : {4, 9}) EXPECT_NEAR(measured(b, a), 810.0, 1.0) << a;
}

TEST(ReadingsBelongToTheirTargets, AnyChangeOfTheTargetsClearsTheReadings) {
    const TargetSet base{3, 0.0f, 1.6f, "0.000", "level", 1000};
    struct Change {
        const char* what;
        void (*apply)(TargetSet&);
    };
    const Change changes[] = {
        {"point count", [](TargetSet& t) { t.pointCount = 5; }},
        {"range start", [](TargetSet& t) { t.rangeStart = 0.1f; }},
        {"range end", [](TargetSet& t) { t.rangeEnd = 2.5f; }},
        {"point position", [](TargetSet& t) { t.pointPosition = "00.00"; }},
        {"density", [](TargetSet& t) { t.density = 998; }},
        {"signal type", [](TargetSet& t) { t.signalType = "Pressure"; }},
    };
    for (const Change& c : changes) {
        Bench b({7});
        b.targets = base;
        b.acquireAll();
        b.download();
        ASSERT_EQ(b.cal.snapshot().device(7)->outcome, DeviceOutcome::Written) << c.what;
        EXPECT_FALSE(b.cal.useTargets(base)) << c.what << ": the same set keeps its readings";
        ASSERT_EQ(b.cal.snapshot().devices.size(), 1u) << c.what;

        TargetSet changed = base;
        c.apply(changed);
        EXPECT_TRUE(b.cal.useTargets(changed)) << c.what;
        EXPECT_TRUE(b.cal.snapshot().devices.empty()) << c.what;
        EXPECT_EQ(b.cal.snapshot().targets, changed) << c.what;
        EXPECT_EQ(b.cal.coefK(7), 0.0f) << c.what;
    }
}

TEST(ReadingsBelongToTheirTargets, ComputeRefusesWhileAPointHasNoReadings) {
    Bench b({2, 3});
    b.targets = pressure(3, 0.0f, 1.6f, "0.000");
    b.acquire(1, 0.0);
    b.acquire(3, 1.6);
    b.bus.sim.clearFramesReceived();
    b.download();
    EXPECT_EQ(b.anyWrites(), 0);
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{pointsNotAcquiredText({2}).text()});
    EXPECT_EQ(pointsNotAcquiredText({2}).text(), "标定点2尚未采集，无法计算K和B值，未下载！");
}

TEST(ReadingsBelongToTheirTargets, ANewPassMakesTheEarlierFitStale) {
    Bench b({5});
    b.targets = pressure(2, 0.0f, 1.6f, "0.000");
    b.acquireAll();
    b.download();
    ASSERT_TRUE(b.cal.snapshot().device(5)->fitted);
    b.acquire(2, 1.6);
    const auto s = b.cal.snapshot();
    EXPECT_FALSE(s.device(5)->fitted);
    EXPECT_EQ(s.device(5)->outcome, DeviceOutcome::None);
    EXPECT_TRUE(s.device(5)->readings[0].has_value());  // the readings stay
}

// An online device without a point-1 reading used to be skipped silently, shown with
// K = B = 0 as if those had been written.
TEST(NoDeviceLeftOut, OnlineDevicesWithoutAPointOneReadingAreNamedWithTheOthersLeftUnwritten) {
    Bench b({2, 5, 8, 11});
    b.bus.sim.setGainOffset(8, 0.0, 777.0);  // a stuck sensor
    b.bus.sim.setFaults(5, SimFaults{.silent = true});
    b.bus.sim.setFaults(11, SimFaults{.silent = true});
    b.targets = pressure(2, 0.0f, 40.0f, "0000");
    b.acquire(1, 0.0);
    b.bus.sim.setFaults(11, {});  // answers from point 2 on
    b.acquire(2, 40.0);
    b.bus.sim.clearFramesReceived();
    const auto s = b.download();
    EXPECT_EQ(b.bus.messages.texts(), (std::vector<std::string>{missingReadingsText({5, 11}).text(),
                                                                flatReadingsText({8}).text(),
                                                                downloadCompleteText({}).text()}));
    EXPECT_EQ(b.writesTo(2), 1);
    for (int a : {5, 8, 11}) {
        EXPECT_EQ(b.writesTo(a), 0) << a;
        ASSERT_NE(s.device(a), nullptr) << a;
        EXPECT_FALSE(s.device(a)->fitted) << a;
        EXPECT_NE(s.device(a)->outcome, DeviceOutcome::Written) << a;
    }
    EXPECT_EQ(s.device(5)->outcome, DeviceOutcome::MissingReading);
    EXPECT_EQ(s.device(8)->outcome, DeviceOutcome::EqualReadings);
}

TEST(NoDeviceLeftOut, AReadingOfZeroAtPointOneCountsAsNone) {
    Bench b({3});
    b.bus.sim.setGainOffset(3, 100.0, 0.0);
    b.acquire(1, 0.0);  // reads 0
    b.acquire(2, 40.0);
    b.download();
    EXPECT_EQ(b.writesTo(3), 0);
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{missingReadingsText({3}).text()});
}

TEST(SensorCalibrationDownload, TargetsThatCannotBeFittedToWriteNothing) {
    const struct {
        TargetSet targets;
        const char* message;
    } cases[] = {
        {pressure(2, 0.0f, 40.0f, ""), kUnknownPointPosition},
        {{2, 0.0f, 2.0f, "0000", "level", 0}, kNoDensity},
        {pressure(2, 5.0f, 5.0f, "0000"), kEmptyRange},
        {pressure(4, 0.0f, 40.0f, "0000"), kUnknownPointCount},
    };
    for (const auto& c : cases) {
        Bench b({2});
        b.bus.sim.setGainOffset(2, 100.0, 50.0);
        b.targets = c.targets;
        b.acquire(1, 0.0);
        b.acquire(2, 40.0);
        b.download();
        EXPECT_EQ(b.writesTo(2), 0) << c.message;
        EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(b.cal.KBDownloadDone.load(), 1);
    }
}

TEST(SensorCalibrationDownload, CorruptWriteAnswerNamesTheDeviceAndIsNotShownAsWritten) {
    Bench b({2, 7});
    b.acquireAll();
    b.bus.sim.setFaults(7, SimFaults{.badCrc = true});
    const auto s = b.download();
    EXPECT_EQ(b.bus.messages.texts(), (std::vector<std::string>{writeVerifyFailedText(7).text(),
                                                                downloadCompleteText({}).text()}));
    EXPECT_EQ(s.device(7)->outcome, DeviceOutcome::NotConfirmed);
    EXPECT_FALSE(s.device(7)->writtenAt.has_value());
    EXPECT_EQ(s.device(2)->outcome, DeviceOutcome::Written);
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 1);
}

TEST(SensorCalibrationDownload, FrameCarriesKAndBInTheirRegisterOrder) {
    Bench b({9});
    b.acquireAll();
    b.bus.sim.clearFramesReceived();
    b.download();
    const auto frames = b.bus.sim.framesReceived();
    ASSERT_EQ(frames.size(), 1u);
    const auto& f = frames[0].bytes;
    ASSERT_EQ(f.size(), 17u);
    EXPECT_EQ(std::vector<std::uint8_t>(f.begin(), f.begin() + 7),
              (std::vector<std::uint8_t>{9, 0x10, 0x00, 0x18, 0x00, 0x04, 0x08}));
    EXPECT_EQ(reg::registersToFloat(&f[7]), b.cal.coefK(9));
    EXPECT_EQ(reg::registersToFloat(&f[11]), b.cal.coefB(9));
    EXPECT_TRUE(frames[0].crcOk);
}

// The classic waited 5 s after every device's K and B: 5 minutes for 60 devices. Each device
// stores on its own, so the writes go out back to back and one store wait serves them all.
TEST(SensorCalibrationDownload, WritesEveryDeviceBackToBackThenWaitsOnceForTheStore) {
    Bench b({4, 9, 17}, 0.1);
    b.acquireAll();
    FrameRecorder recorder;
    b.bus.ctx.bus.addObserver(&recorder);
    b.bus.sim.clearFramesReceived();
    b.cal.prepareDownload();
    ProgressTrail trail(b.cal.progress);
    b.cal.computeAndDownload(b.targets, nullptr);
    const auto steps = trail.stop();
    b.verify(2, 40.0);
    b.bus.ctx.bus.removeObserver(&recorder);

    // Same frames as the classic, in the same order: each device's write, then the verification.
    EXPECT_EQ(requestOrder(b.bus.sim),
              (std::vector<std::pair<int, int>>{
                  {4, 0x10}, {9, 0x10}, {17, 0x10}, {4, 0x04}, {9, 0x04}, {17, 0x04}}));
    const std::vector<double> sentAt = recorder.sentAt();
    ASSERT_EQ(sentAt.size(), 6u);
    const double storeMs = 0.1 * Timing::kStoreWaitMs;
    EXPECT_LT(sentAt[1] - sentAt[0], storeMs / 2) << "no store wait between two devices";
    EXPECT_LT(sentAt[2] - sentAt[1], storeMs / 2) << "no store wait between two devices";
    EXPECT_GE(sentAt[3] - sentAt[2], storeMs) << "the devices store before they are read";
    // The wait dialog: the writes, the one store wait, nothing after it.
    EXPECT_EQ(ProgressTrail::count(steps, progress_text::kStoreWait), 1);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), progress_text::kDeviceStep);
    EXPECT_EQ(steps.back(), progress_text::kStoreWait);
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{downloadCompleteText({}).text()});
    for (int a : {4, 9, 17})
        EXPECT_EQ(b.cal.snapshot().device(a)->outcome, DeviceOutcome::Written) << a;
}

// A line that hung up part-way used to leave only "Error Code5..." behind: which devices held
// the new K and B was not said, and the command line printed no table.
TEST(SensorCalibrationDownload, AHangUpPartWayTellsWhatEachDeviceHoldsAndKeepsTheReadings) {
    // On the in-process line: the hang-up lands at the same exchange however loaded the machine.
    Bench b(TestBus::inProcess({2, 5, 8}), kScale);
    b.acquireAll();
    b.bus.sim.hangUpAfter(2);  // device 5 takes its write; its answer never comes
    const auto s = b.download();
    EXPECT_EQ(b.cal.KBDownloadFailed.load(), 1);
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 0);
    EXPECT_EQ(s.device(2)->outcome, DeviceOutcome::Written);
    EXPECT_EQ(s.device(5)->outcome, DeviceOutcome::NotConfirmed);
    EXPECT_EQ(s.device(8)->outcome, DeviceOutcome::NotReached);
    EXPECT_EQ(b.bus.sim.coefficients(5)->first, b.cal.coefK(5));  // it does hold them
    EXPECT_EQ(b.bus.sim.coefficients(8)->first, 0.0f);
    EXPECT_EQ(b.bus.messages.texts(),
              (std::vector<std::string>{"Error Code5read serial operation failed!",
                                        downloadInterruptedText({2}, {5}, {8}).text()}));
    EXPECT_EQ(downloadInterruptedText({2}, {5}, {8}).text(),
              "下载中断！\n已写入并确认：2\n已写入，未确认：5\n未写入：8");
    for (int a : {2, 5, 8}) {
        EXPECT_TRUE(s.device(a)->readings[0].has_value()) << a;
        EXPECT_TRUE(s.device(a)->readings[1].has_value()) << a;
        EXPECT_TRUE(s.device(a)->fitted) << a;
    }

    // Before anything went out the port's message says it all: nothing was written. In-process
    // too, where the line is found dead at the quiet wait before the first write (on a
    // pseudo-terminal either the wait or the write may see it first).
    Bench dead(TestBus::inProcess({3, 4}), kScale);
    dead.acquireAll();
    dead.bus.sim.clearFramesReceived();
    dead.bus.sim.hangUp();
    const auto none = dead.download();
    EXPECT_EQ(dead.bus.messages.texts(),
              std::vector<std::string>{"Error Code5read serial operation failed!"});
    EXPECT_TRUE(dead.bus.sim.framesReceived().empty());
    for (int a : {3, 4}) EXPECT_EQ(none.device(a)->outcome, DeviceOutcome::NotReached) << a;
    EXPECT_EQ(downloadInterruptedText({}, {6}, {3, 4}).text(),
              "下载中断！\n已写入，未确认：6\n未写入：3, 4");
}

TEST(SensorCalibrationDownload, NoDeviceOnlineShowsItsMessageAndSendsNothing) {
    Bench b({4});
    b.acquireAll();
    b.bus.ctx.clearOnlineTable();
    b.bus.sim.clearFramesReceived();
    b.download();
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{kNoOnlineDevices});
    EXPECT_TRUE(b.bus.sim.framesReceived().empty());
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 1);
}

TEST(SensorCalibrationDownload, CancelStopsBeforeTheNextDeviceWithoutACompletionMessage) {
    Bench b({1, 2, 3}, 0.1);
    b.acquireAll();
    // Device 1 answers late within its window, so the cancel lands while its write is under way.
    b.bus.sim.setFaults(1, SimFaults{.lateMs = 40});
    b.bus.sim.clearFramesReceived();
    b.cal.prepareDownload();
    std::thread worker([&] { b.cal.computeAndDownload(b.targets, nullptr); });
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (b.writesTo(1) == 0 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    b.cal.cancelDownload();
    worker.join();
    EXPECT_EQ(b.writesTo(1), 1);
    EXPECT_EQ(b.writesTo(2) + b.writesTo(3), 0);
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 1);
    EXPECT_TRUE(b.bus.messages.texts().empty());
    const auto s = b.cal.snapshot();
    EXPECT_EQ(s.device(1)->outcome, DeviceOutcome::Written);
    EXPECT_EQ(s.device(2)->outcome, DeviceOutcome::NotReached);
    EXPECT_EQ(s.device(3)->outcome, DeviceOutcome::NotReached);
}

TEST(SensorCalibrationDownload, ClosedPortSetsTheFailedFlagAtTheFirstDevice) {
    Bench b({1, 2});
    b.acquireAll();
    b.bus.ctx.bus.Close();
    const auto s = b.download();
    EXPECT_EQ(b.cal.KBDownloadFailed.load(), 1);
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 0);
    EXPECT_EQ(s.device(1)->outcome, DeviceOutcome::NotReached);
    EXPECT_EQ(s.device(2)->outcome, DeviceOutcome::NotReached);
}

TEST(SensorCalibrationDownload, ShowsWhichDeviceIsBeingWrittenAndTheTimeLeft) {
    Bench b({1, 2});
    b.acquireAll();
    std::vector<ProgressSnapshot> seen;
    b.cal.prepareDownload();
    b.cal.computeAndDownload(b.targets, [&] { seen.push_back(b.cal.progress.snapshot()); });
    // One call after the fit (nothing written yet), one after each write, one at the end.
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[1].text(), "Address 1, 1 of 2");
    EXPECT_EQ(seen[1].total, 2);
    EXPECT_EQ(seen[2].text(), "Address 2, 2 of 2");
    EXPECT_EQ(seen[2].done, 1);
    EXPECT_GE(seen[1].secondsLeft, 1);  // two writes of 0.5 s and one store wait of 5 s, shrunk
    EXPECT_TRUE(b.cal.progress.snapshot().text().empty());

    // 60 devices at the real values: 30 s of writes and one store wait, not 5.5 minutes.
    Progress p;
    const Timing real;
    showDeviceStep(p, 1, 0, 60, &real, Timing::kRegisterWaitMs, Timing::kStoreWaitMs);
    EXPECT_EQ(p.snapshot().secondsLeft, 35);
    showDeviceStep(p, 60, 59, 60, &real, Timing::kRegisterWaitMs, Timing::kStoreWaitMs);
    EXPECT_EQ(p.snapshot().secondsLeft, 6);
}

// Three devices of different gains; one has a deliberately wrong point 2 (its sensor read as if
// it had another gain while that point was applied).
TEST(FitQualityOnTheBus, TheDeviceWithAWrongPointIsMarkedNamedAndStillWritten) {
    Bench b({3, 8, 21});
    b.bus.sim.setGainOffset(3, 9000.0, 400.0);
    b.bus.sim.setGainOffset(8, 12500.0, 1500.0);
    b.bus.sim.setGainOffset(21, 7300.0, 2200.0);
    b.targets = pressure(3, 0.0f, 1.6f, "0.000");
    b.acquire(1, 0.0);
    b.bus.sim.setGainOffset(21, 7900.0, 2200.0);
    b.acquire(2, 0.8);
    b.bus.sim.setGainOffset(21, 7300.0, 2200.0);
    b.acquire(3, 1.6);
    const auto s = b.download();
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{downloadCompleteText({21}).text()});
    EXPECT_EQ(downloadCompleteText({21}).text(),
              "K和B值下载完成！以下地址的拟合残差超过量程的0.5%，请检查：21");
    for (int a : {3, 8, 21}) {
        EXPECT_EQ(s.device(a)->outcome, DeviceOutcome::Written) << a;
        EXPECT_EQ(b.writesTo(a), 1) << a;
    }
    for (int a : {3, 8}) {
        EXPECT_FALSE(s.device(a)->quality.marked) << a;
        EXPECT_LT(s.device(a)->quality.largest, 0.0005) << a;  // under a count of 0.001 MPa
    }
    // Readings 2200, 8520 (480 counts high), 13880 against 0, 800, 1600: residuals of the exact
    // least-squares line (python3, fractions) -0.020071, 0.043737, -0.023666 MPa.
    const FitQuality& q = s.device(21)->quality;
    EXPECT_TRUE(q.marked);
    EXPECT_NEAR(q.residuals[0], -0.020071, 1e-6);
    EXPECT_NEAR(q.residuals[1], 0.043737, 1e-6);
    EXPECT_NEAR(q.residuals[2], -0.023666, 1e-6);
    EXPECT_NEAR(q.largest, 0.043737, 1e-6);
}

TEST(VerifyAfterDownload, ReadsEveryWrittenDeviceAtTheAppliedPointAndKeepsItsError) {
    Bench b({3, 8, 21, 30});
    b.bus.sim.setGainOffset(3, 9000.0, 400.0);
    b.bus.sim.setGainOffset(8, 12500.0, 1500.0);
    b.bus.sim.setGainOffset(21, 7300.0, 2200.0);
    b.bus.sim.setGainOffset(30, 0.0, 500.0);  // stuck: not written, so not verified
    b.targets = pressure(3, 0.0f, 1.6f, "0.000");
    b.acquireAll();
    b.download();
    b.bus.sim.clearFramesReceived();
    b.bus.messages.clear();

    // Device 8 drifted since: verifying at point 2 shows it.
    b.bus.sim.setGainOffset(8, 12500.0, 1700.0);
    const auto s = b.verify(2, 0.8);
    EXPECT_TRUE(b.bus.messages.texts().empty());
    EXPECT_EQ(s.lastVerifiedPoint, 2);
    for (int a : {3, 21}) {
        ASSERT_TRUE(s.device(a)->verified[1].has_value()) << a;
        EXPECT_TRUE(s.device(a)->verified[1]->answered);
        EXPECT_NEAR(s.device(a)->verified[1]->measured, 800, 1) << a;
        EXPECT_NEAR(s.device(a)->verified[1]->error, 0.0, 0.0011) << a;
    }
    EXPECT_NEAR(s.device(8)->verified[1]->error, 200.0 / 12500, 0.0011);  // 200 counts high
    EXPECT_FALSE(s.device(30)->verified[1].has_value());
    EXPECT_FALSE(s.device(3)->verified[0].has_value());
    EXPECT_EQ(b.framesTo(30, 0x04), 0);
    for (int a : {3, 8, 21}) {
        EXPECT_EQ(b.framesTo(a, 0x04), 1) << a;
        for (const auto& f : b.bus.sim.framesReceived()) {
            if (f.bytes[0] == a) {
                EXPECT_EQ(f.bytes[3], reg::MeasuredValue);
            }
        }
    }
    EXPECT_EQ(b.cal.VerifyDone.load(), 1);
}

TEST(VerifyAfterDownload, ASilentDeviceIsKeptAsNotAnswering) {
    Bench b({1, 2});
    b.acquireAll();
    b.download();
    b.bus.sim.setFaults(2, SimFaults{.silent = true});
    const auto s = b.verify(1, 0.0);
    EXPECT_TRUE(s.device(1)->verified[0]->answered);
    EXPECT_FALSE(s.device(2)->verified[0]->answered);
}

TEST(VerifyAfterDownload, NothingWrittenNothingToVerify) {
    Bench b({1});
    b.acquireAll();
    b.bus.sim.clearFramesReceived();
    b.verify(1, 0.0);
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{kNothingToVerify});
    EXPECT_TRUE(b.bus.sim.framesReceived().empty());
    EXPECT_EQ(b.cal.VerifyDone.load(), 1);
}

TEST(VerifyAfterDownload, OtherTargetsHaveNothingWritten) {
    Bench b({1});
    b.acquireAll();
    b.download();
    b.bus.messages.clear();
    b.targets.rangeEnd = 60.0f;
    b.verify(1, 0.0);
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{kNothingToVerify});
}

TEST(VerifyAfterDownload, CancelKeepsNothingAndAClosedPortSetsTheFailedFlag) {
    Bench b({1, 2});
    b.acquireAll();
    b.download();
    b.cal.prepareVerify();
    b.cal.cancelVerify();
    b.cal.verify(1, b.targets, nullptr);
    EXPECT_EQ(b.cal.VerifyDone.load(), 1);
    EXPECT_EQ(b.cal.snapshot().lastVerifiedPoint, 0);
    EXPECT_FALSE(b.cal.snapshot().device(1)->verified[0].has_value());

    b.bus.ctx.bus.Close();
    b.cal.prepareVerify();
    b.cal.verify(1, b.targets, nullptr);
    EXPECT_EQ(b.cal.VerifyFailed.load(), 1);
    EXPECT_EQ(b.cal.VerifyDone.load(), 0);
}
