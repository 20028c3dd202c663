// Acquisition and compute-and-download against the simulated bus, closed loop included.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "calibration/SensorCalibration.h"
#include "link/RegisterMap.h"
#include "tests/support/TestBus.h"

using namespace calib;

namespace {

constexpr double kScale = 0.03;

BasicSettings pressureRange(float start, float end, const std::string& pointPosition) {
    BasicSettings s;
    s.RangeStart = start;
    s.RangeEnd = end;
    s.PointPositionText = pointPosition;
    return s;
}

struct Bench {
    explicit Bench(std::vector<int> addresses, double scale = kScale)
        : bus(addresses, scale), cal(bus.ctx) {
        bus.open();
        for (int a : addresses) bus.ctx.OnlineTable[a - 1] = 1;
    }

    AcquisitionOutcome acquire(int point, double applied, bool* published = nullptr) {
        bus.sim.setAppliedPressure(applied);
        cal.prepareAcquisition(point);
        AcquisitionOutcome out;
        bool got = false;
        cal.acquire(point, [&](const AcquisitionOutcome& o) {
            out = o;
            got = true;
        });
        if (published)
            *published = got;
        return out;
    }

    std::vector<CoefficientCell> download(int n, const std::string& signalType = "Pressure",
                                          int density = 0) {
        std::vector<CoefficientCell> cells;
        cal.prepareDownload();
        cal.computeAndDownload(n, signalType, density,
                               [&](const std::vector<CoefficientCell>& c) { cells = c; });
        return cells;
    }

    // Frames of function 0x10 that reached the given address.
    int writesTo(int address) const {
        int n = 0;
        for (const auto& f : bus.sim.framesReceived())
            if (f.bytes.size() > 1 && f.bytes[0] == address && f.bytes[1] == 0x10)
                ++n;
        return n;
    }

    TestBus bus;
    SensorCalibration cal;
};

// Calibrates every device over n points and checks that each reports the applied pressure,
// in units of the point position, to within one step.
void calibrateAndCheck(Bench& b, int n, float start, float end, const std::string& position) {
    b.bus.ctx.setBasicSettings(pressureRange(start, end, position));
    const auto targets = targetValues(start, end, n);
    for (int k = 1; k <= n; ++k) {
        const auto out = b.acquire(k, targets[k - 1]);
        ASSERT_EQ(out.readings.size(), b.bus.sim.addresses().size()) << "point " << k;
        ASSERT_EQ(b.cal.AcqDone[k - 1].load(), 1);
        ASSERT_EQ(b.cal.AcqFailed[k - 1].load(), 0);
    }
    const auto cells = b.download(n);
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 1);
    EXPECT_EQ(b.cal.KBDownloadFailed.load(), 0);
    EXPECT_EQ(cells.size(), b.bus.sim.addresses().size());
    EXPECT_TRUE(b.bus.messages.texts().empty());

    const int scale = pointPositionScale(position);
    for (double applied : {static_cast<double>(start), (start + end) / 3.0, end * 0.9}) {
        b.bus.sim.setAppliedPressure(applied);
        for (int a : b.bus.sim.addresses()) {
            // Read back over the bus, as the program's own data collection would.
            const ExchangeResult r = b.bus.ctx.bus.readInputRegisters(
                static_cast<std::uint8_t>(a), reg::MeasuredValue, 1, Timing::kRegisterWaitMs);
            ASSERT_TRUE(r.crcOk()) << "address " << a;
            EXPECT_NEAR(r.reg(0), applied * scale, 1.0) << "address " << a << " at " << applied;
        }
    }
}

}  // namespace

TEST(SensorCalibrationLoop, ThreePointsBringDevicesOfDifferentGainsToTheAppliedPressure) {
    Bench b({3, 8, 21});
    b.bus.sim.setGainOffset(3, 9000.0, 400.0);
    b.bus.sim.setGainOffset(8, 12500.0, 1500.0);
    b.bus.sim.setGainOffset(21, 7300.0, 2200.0);
    calibrateAndCheck(b, 3, 0.0f, 1.6f, "0.000");
}

TEST(SensorCalibrationLoop, FivePointsOnARangeThatDoesNotStartAtZero) {
    Bench b({1, 60});
    b.bus.sim.setGainOffset(1, 310.0, 900.0);
    b.bus.sim.setGainOffset(60, 455.5, 120.0);
    calibrateAndCheck(b, 5, 10.0f, 90.0f, "000.0");
}

TEST(SensorCalibrationLoop, TwoPointsWithTheRealStoreWait) {
    Bench b({5}, 1.0);
    b.bus.sim.setGainOffset(5, 8000.0, 700.0);
    b.bus.ctx.setBasicSettings(pressureRange(0.0f, 2.0f, "00.00"));
    b.acquire(1, 0.0);
    b.acquire(2, 2.0);
    const auto started = std::chrono::steady_clock::now();
    b.download(2);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, std::chrono::milliseconds(Timing::kStoreWaitMs));
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 1);
    b.bus.sim.setAppliedPressure(1.25);
    EXPECT_NEAR(*b.bus.sim.measuredValue(5), 125.0, 1.0);
}

TEST(SensorCalibrationLoop, LevelTargetsIncludeDensityAndGravity) {
    Bench b({4});
    b.bus.sim.setGainOffset(4, 2000.0, 300.0);
    b.bus.ctx.setBasicSettings(pressureRange(0.0f, 2.0f, "0000"));
    b.acquire(1, 0.0);
    b.acquire(2, 2.0);
    b.download(2, "level", 1000);
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
}

TEST(SensorCalibrationAcquire, SilentDeviceIsNotCreditedWithItsNeighboursAnswer) {
    Bench b({3, 8});
    b.bus.sim.setGainOffset(3, 100.0, 10.0);
    b.bus.sim.setGainOffset(8, 200.0, 20.0);
    b.bus.ctx.setBasicSettings(pressureRange(0.0f, 40.0f, "0000"));
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
    b.download(2);
    EXPECT_EQ(b.writesTo(8), 0);
    EXPECT_EQ(b.writesTo(3), 1);
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{missingReadingsText({8})});
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
    b.cal.prepareAcquisition(3);
    b.cal.stopAcquisitions();
    bool published = false;
    b.cal.acquire(3, [&](const AcquisitionOutcome&) { published = true; });
    EXPECT_FALSE(published);
    EXPECT_TRUE(b.bus.sim.framesReceived().empty());
    for (const auto& f : b.cal.AcqDone) EXPECT_EQ(f.load(), 1);
}

TEST(SensorCalibrationAcquire, ClosedPortSetsTheFailedFlag) {
    Bench b({1, 2});
    b.bus.ctx.bus.Close();
    bool published = false;
    b.acquire(4, 1.0, &published);
    EXPECT_FALSE(published);
    EXPECT_EQ(b.cal.AcqFailed[3].load(), 1);
    EXPECT_EQ(b.cal.AcqDone[3].load(), 0);
}

TEST(SensorCalibrationDownload, PointTwoBeforePointOneWritesNothing) {
    Bench b({1, 2});
    b.bus.ctx.setBasicSettings(pressureRange(0.0f, 40.0f, "0000"));
    b.acquire(2, 40.0);
    const auto cells = b.download(2);
    EXPECT_EQ(b.writesTo(1) + b.writesTo(2), 0);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0].K, 0.0f);
    EXPECT_EQ(cells[1].B, 0.0f);
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 1);
}

TEST(SensorCalibrationDownload, EqualReadingsAreReportedAndNotWritten) {
    Bench b({2, 5});
    b.bus.sim.setGainOffset(5, 0.0, 777.0);  // a stuck sensor
    b.bus.ctx.setBasicSettings(pressureRange(0.0f, 40.0f, "0000"));
    b.acquire(1, 0.0);
    b.acquire(2, 40.0);
    const auto cells = b.download(2);
    EXPECT_EQ(b.writesTo(5), 0);
    EXPECT_EQ(b.writesTo(2), 1);
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{flatReadingsText({5})});
    EXPECT_EQ(b.cal.coefK(5), 0.0f);
    EXPECT_NE(cells[0].K, 0.0f);
}

TEST(SensorCalibrationDownload, UnknownPointPositionWritesNothing) {
    Bench b({2});
    b.bus.ctx.setBasicSettings(pressureRange(0.0f, 40.0f, ""));
    b.acquire(1, 0.0);
    b.acquire(2, 40.0);
    b.download(2);
    EXPECT_EQ(b.writesTo(2), 0);
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{kUnknownPointPosition});
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 1);
}

TEST(SensorCalibrationDownload, CorruptWriteAnswerNamesTheDevice) {
    Bench b({2, 7});
    b.bus.ctx.setBasicSettings(pressureRange(0.0f, 40.0f, "0000"));
    b.acquire(1, 0.0);
    b.acquire(2, 40.0);
    b.bus.sim.setFaults(7, SimFaults{.badCrc = true});
    b.download(2);
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{writeVerifyFailedText(7)});
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 1);
}

TEST(SensorCalibrationDownload, FrameCarriesKAndBInTheirRegisterOrder) {
    Bench b({9});
    b.bus.ctx.setBasicSettings(pressureRange(0.0f, 40.0f, "0000"));
    b.acquire(1, 0.0);
    b.acquire(2, 40.0);
    b.bus.sim.clearFramesReceived();
    b.download(2);
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

TEST(SensorCalibrationDownload, NoDeviceOnlineShowsItsMessageAndSendsNothing) {
    Bench b({4});
    b.bus.ctx.setBasicSettings(pressureRange(0.0f, 40.0f, "0000"));
    b.acquire(1, 0.0);
    b.acquire(2, 40.0);
    b.bus.ctx.clearOnlineTable();
    b.bus.sim.clearFramesReceived();
    b.download(2);
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{kNoOnlineDevices});
    EXPECT_TRUE(b.bus.sim.framesReceived().empty());
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 1);
}

TEST(SensorCalibrationDownload, CancelStopsBeforeTheNextDevice) {
    Bench b({1, 2, 3});
    b.bus.ctx.setBasicSettings(pressureRange(0.0f, 40.0f, "0000"));
    b.acquire(1, 0.0);
    b.acquire(2, 40.0);
    b.bus.sim.clearFramesReceived();
    b.cal.prepareDownload();
    std::thread worker([&] { b.cal.computeAndDownload(2, "Pressure", 0, nullptr); });
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (b.writesTo(1) == 0 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    b.cal.cancelDownload();
    worker.join();
    EXPECT_EQ(b.writesTo(1), 1);
    EXPECT_EQ(b.writesTo(2) + b.writesTo(3), 0);
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 1);
}

TEST(SensorCalibrationDownload, ClosedPortSetsTheFailedFlagAtTheFirstDevice) {
    Bench b({1, 2});
    b.bus.ctx.setBasicSettings(pressureRange(0.0f, 40.0f, "0000"));
    b.acquire(1, 0.0);
    b.acquire(2, 40.0);
    b.bus.ctx.bus.Close();
    b.download(2);
    EXPECT_EQ(b.cal.KBDownloadFailed.load(), 1);
    EXPECT_EQ(b.cal.KBDownloadDone.load(), 0);
}
