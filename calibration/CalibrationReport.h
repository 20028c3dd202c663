#pragma once
// The calibration report: what a calibration run did to each device, as a CSV file for the
// production records.
//
// Layout: UTF-8, one header line and one line per device of the snapshot in ascending address,
// fields separated by ",", lines ending in "\n"; no field holds a comma, a quote or a line end.
// For n points of unit U the fields are:
//   address, result,
//   target 1 (U), reading 1, ..., target n (U), reading n,
//   K, B,
//   residual 1 (U), ..., residual n (U), largest residual (U), fit,
//   verify error 1 (U), ..., verify error n (U),
//   time
// result is "written", "not confirmed", "missing reading", "equal readings", "not reached" or
// "not computed"; fit is "marked" when the largest residual exceeds 0.5 % of the span, "ok"
// otherwise, empty without a fit. K and B carry nine significant digits (the stored float
// exactly); a verify error is empty where the point was not verified and "no answer" where the
// device did not answer. time is the local time K and B were written ("2024-12-07 10:20:30").

#include <ctime>
#include <filesystem>
#include <string>

#include "base/Message.h"
#include "base/Texts.h"
#include "calibration/SensorCalibration.h"

namespace calib {

inline constexpr const char* kNothingToReport = KORV_TR_NOOP("Core", "没有可保存的标定结果！");
Message reportSavedText(const std::filesystem::path& path);
Message reportFailedText(const std::filesystem::path& path, const std::string& reason);

std::string calibrationReportCsv(const CalibrationSnapshot& snapshot, const std::string& unit);

// "calibration-20241207-102030.csv"
std::string calibrationReportFileName(const std::tm& local);

struct ReportSaved {
    bool ok = false;
    std::filesystem::path path;
    std::string reason;  // the system's text when it failed
};

// Writes the report into `dir` (created when missing) under the name of `now`; a name already
// taken gets "-2", "-3", ... before ".csv", so no earlier report is overwritten.
ReportSaved saveCalibrationReport(const std::filesystem::path& dir,
                                  const CalibrationSnapshot& snapshot, const std::string& unit,
                                  Clock::TimePoint now);

}  // namespace calib
