// The calibration report: its exact CSV, where it goes, and one made from a simulated bus.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/NumberText.h"
#include "calibration/CalibrationReport.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TestBus.h"

using namespace calib;

namespace {

const Clock::TimePoint kWritten = makeLocalTime(2024, 12, 7, 10, 20, 30);

CalibrationSnapshot sampleSnapshot() {
    CalibrationSnapshot s;
    s.targets = TargetSet{2, 0.0f, 1.6f, "0.000", "Pressure", 0};
    s.lastVerifiedPoint = 2;

    DeviceCalibration written;
    written.address = 3;
    written.readings = {300.0f, 13100.0f};
    written.outcome = DeviceOutcome::Written;
    written.fitted = true;
    written.K = 0.125f;
    written.B = -37.5f;
    written.quality.residuals = {0.00012, -0.00034};
    written.quality.largest = 0.00034;
    written.writtenAt = kWritten;
    written.verified[1] = VerifyReading{true, 1601, 0.001};

    DeviceCalibration missing;
    missing.address = 8;
    missing.readings[0] = 300.0f;
    missing.outcome = DeviceOutcome::MissingReading;

    DeviceCalibration unconfirmed;
    unconfirmed.address = 9;
    unconfirmed.readings = {512.0f, 9000.0f};
    unconfirmed.outcome = DeviceOutcome::NotConfirmed;
    unconfirmed.fitted = true;
    unconfirmed.K = 0.18850141f;
    unconfirmed.B = -96.51272f;
    unconfirmed.quality.residuals = {0.0125, -0.0125};
    unconfirmed.quality.largest = 0.0125;
    unconfirmed.quality.marked = true;
    unconfirmed.verified[1] = VerifyReading{};  // did not answer

    s.devices = {written, missing, unconfirmed};
    return s;
}

}  // namespace

TEST(CalibrationReport, HasOneRowPerDeviceWithTargetsReadingsCoefficientsResidualsAndVerify) {
    EXPECT_EQ(calibrationReportCsv(sampleSnapshot(), "MPa"),
              "address,result,target 1 (MPa),reading 1,target 2 (MPa),reading 2,K,B,"
              "residual 1 (MPa),residual 2 (MPa),largest residual (MPa),fit,"
              "verify error 1 (MPa),verify error 2 (MPa),time\n"
              "3,written,0.000,300,1.600,13100,0.125,-37.5,0.0001,-0.0003,0.0003,ok,,0.0010,"
              "2024-12-07 10:20:30\n"
              "8,missing reading,0.000,300,1.600,,,,,,,,,,\n"
              "9,not confirmed,0.000,512,1.600,9000,0.188501403,-96.5127182,0.0125,-0.0125,"
              "0.0125,marked,,no answer,\n");
}

TEST(CalibrationReport, IsSavedIntoTheDataDirectoryUnderItsTimeAndNeverOverwritten) {
    TempDir dir;
    const std::filesystem::path data = std::filesystem::path(dir.path()) / "Data";
    const CalibrationSnapshot s = sampleSnapshot();
    const ReportSaved first = saveCalibrationReport(data, s, "℃", kWritten);
    ASSERT_TRUE(first.ok) << first.reason;
    EXPECT_EQ(first.path, data / "calibration-20241207-102030.csv");
    const std::string csv = calibrationReportCsv(s, "℃");
    const auto bytes = readFileBytes(first.path.string());
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), csv);
    EXPECT_NE(csv.find("target 1 (\xE2\x84\x83)"), std::string::npos);  // UTF-8

    const ReportSaved second = saveCalibrationReport(data, s, "℃", kWritten);
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(second.path, data / "calibration-20241207-102030-2.csv");
    EXPECT_EQ(readFileBytes(first.path.string()), bytes);
    EXPECT_EQ(reportSavedText(second.path).text(),
              "标定报告已保存：" + (data / "calibration-20241207-102030-2.csv").string());
}

TEST(CalibrationReport, ADirectoryThatCannotBeMadeIsReportedWithTheSystemsReason) {
    TempDir dir;
    writeFileBytes(dir.file("plain"), "not a directory");
    const std::filesystem::path data = std::filesystem::path(dir.file("plain")) / "Data";
    const ReportSaved saved = saveCalibrationReport(data, sampleSnapshot(), "MPa", kWritten);
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.reason, std::strerror(ENOTDIR));
    EXPECT_EQ(reportFailedText(saved.path, saved.reason).text(),
              "标定报告保存失败：" + saved.path.string() + "（" + std::strerror(ENOTDIR) + "）");
}

// Devices of different gains, one with a deliberately wrong point 2, calibrated, verified at
// point 3 and reported.
TEST(CalibrationReport, FromASimulatedBusNamesTheMarkedDeviceAndEveryVerifyError) {
    auto clock = std::make_shared<FakeClock>(kWritten);
    TestBus bus({3, 8, 21}, 0.03, 115200, 1.0, clock);
    bus.open();
    for (int a : {3, 8, 21}) bus.ctx.OnlineTable[a - 1] = 1;
    bus.sim.setGainOffset(3, 9000.0, 400.0);
    bus.sim.setGainOffset(8, 12500.0, 1500.0);
    bus.sim.setGainOffset(21, 7300.0, 2200.0);
    SensorCalibration cal(bus.ctx);
    const TargetSet t{3, 0.0f, 1.6f, "0.000", "Pressure", 0};
    const double applied[] = {0.0, 0.8, 1.6};
    for (int k = 1; k <= 3; ++k) {
        bus.sim.setGainOffset(21, k == 2 ? 7900.0 : 7300.0, 2200.0);
        bus.sim.setAppliedPressure(applied[k - 1]);
        cal.prepareAcquisition(k);
        cal.acquire(k, t, nullptr);
    }
    cal.prepareDownload();
    cal.computeAndDownload(t, nullptr);
    cal.prepareVerify();
    cal.verify(3, t, nullptr);

    TempDir dir;
    const ReportSaved saved =
        saveCalibrationReport(dir.path(), cal.snapshot(), "MPa", clock->now());
    ASSERT_TRUE(saved.ok) << saved.reason;
    const auto bytes = readFileBytes(saved.path.string());
    const std::string csv(bytes.begin(), bytes.end());
    std::vector<std::string> lines;
    for (std::size_t from = 0, to; (to = csv.find('\n', from)) != std::string::npos; from = to + 1)
        lines.push_back(csv.substr(from, to - from));
    ASSERT_EQ(lines.size(), 4u) << csv;
    const auto fields = [](const std::string& line) {
        std::vector<std::string> out;
        std::size_t from = 0;
        for (std::size_t to; (to = line.find(',', from)) != std::string::npos; from = to + 1)
            out.push_back(line.substr(from, to - from));
        out.push_back(line.substr(from));
        return out;
    };
    const auto header = fields(lines[0]);
    ASSERT_EQ(header.size(), 19u);
    EXPECT_EQ(header[17], "verify error 3 (MPa)");
    for (int row = 1; row <= 3; ++row) {
        const auto f = fields(lines[row]);
        ASSERT_EQ(f.size(), header.size()) << lines[row];
        EXPECT_EQ(f[1], "written");
        EXPECT_EQ(f[2], "0.000");
        EXPECT_EQ(f[6], "1.600");
        EXPECT_EQ(f[14], f[0] == "21" ? "marked" : "ok") << lines[row];
        EXPECT_TRUE(f[15].empty() && f[16].empty()) << "points 1 and 2 were not verified";
        // At the point the fit is off by its residual there, quantised to a device step.
        const auto verifyError = num::parseDouble(f[17]);
        const auto residual = num::parseDouble(f[12]);
        ASSERT_TRUE(verifyError && residual) << lines[row];
        EXPECT_NEAR(*verifyError, *residual, 0.0006) << lines[row];
        EXPECT_EQ(f[18], "2024-12-07 10:20:30");
    }
    EXPECT_EQ(fields(lines[1])[0], "3");
    EXPECT_EQ(fields(lines[3])[3], "2200");
    EXPECT_EQ(fields(lines[3])[5], "8520");  // the wrong point, 480 counts high
}
