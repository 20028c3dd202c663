#include "calibration/CalibrationReport.h"

#include <cstdio>

#include "base/FileWrite.h"
#include "base/NumberText.h"
#include "base/Paths.h"
#include "base/Texts.h"

namespace calib {

namespace {

std::string twoDigits(int v) {
    return (v < 10 ? "0" : "") + num::formatInt(v);
}

std::string timeText(Clock::TimePoint t) {
    const std::tm l = Clock::localTime(t);
    return num::formatInt(l.tm_year + 1900) + "-" + twoDigits(l.tm_mon + 1) + "-" +
           twoDigits(l.tm_mday) + " " + twoDigits(l.tm_hour) + ":" + twoDigits(l.tm_min) + ":" +
           twoDigits(l.tm_sec);
}

const char* resultText(DeviceOutcome o) {
    switch (o) {
        case DeviceOutcome::Written:
            return "written";
        case DeviceOutcome::NotConfirmed:
            return "not confirmed";
        case DeviceOutcome::MissingReading:
            return "missing reading";
        case DeviceOutcome::EqualReadings:
            return "equal readings";
        case DeviceOutcome::NotReached:
            return "not reached";
        case DeviceOutcome::None:
            break;
    }
    return "not computed";
}

std::string numbered(const char* name, int i, const std::string& unit) {
    return std::string(name) + " " + num::formatInt(i) + " (" + unit + ")";
}

}  // namespace

Message reportSavedText(const std::filesystem::path& path) {
    return compose(texts::kReportSaved, {Message::verbatim(path.string())});
}

Message reportFailedText(const std::filesystem::path& path, const std::string& reason) {
    return compose(texts::kReportFailed,
                   {Message::verbatim(path.string()), Message::verbatim(reason)});
}

std::string calibrationReportCsv(const CalibrationSnapshot& s, const std::string& unit) {
    const TargetSet t = s.targets.value_or(TargetSet{});
    const int n = isPointCount(t.pointCount) ? t.pointCount : 0;  // columns per point
    const auto targets = targetValues(t);
    std::vector<std::string> header{"address", "result"};
    for (int i = 1; i <= n; ++i) {
        header.push_back(numbered("target", i, unit));
        header.push_back("reading " + num::formatInt(i));
    }
    header.insert(header.end(), {"K", "B"});
    for (int i = 1; i <= n; ++i) header.push_back(numbered("residual", i, unit));
    header.push_back("largest residual (" + unit + ")");
    header.push_back("fit");
    for (int i = 1; i <= n; ++i) header.push_back(numbered("verify error", i, unit));
    header.push_back("time");

    const auto line = [](const std::vector<std::string>& fields) {
        std::string out;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i)
                out += ',';
            out += fields[i];
        }
        return out + '\n';
    };

    std::string csv = line(header);
    for (const DeviceCalibration& d : s.devices) {
        std::vector<std::string> f{num::formatInt(d.address), resultText(d.outcome)};
        for (int i = 0; i < n; ++i) {
            f.push_back(formatTarget(targets[i]));
            f.push_back(d.readings[i] ? num::formatInt(static_cast<long long>(*d.readings[i]))
                                      : std::string());
        }
        f.push_back(d.fitted ? num::formatGeneral(d.K, 9) : std::string());
        f.push_back(d.fitted ? num::formatGeneral(d.B, 9) : std::string());
        for (int i = 0; i < n; ++i)
            f.push_back(d.fitted ? formatInUnit(t, d.quality.residuals[i]) : std::string());
        f.push_back(d.fitted ? formatInUnit(t, d.quality.largest) : std::string());
        f.push_back(d.fitted ? (d.quality.marked ? "marked" : "ok") : "");
        for (int i = 0; i < n; ++i) {
            const auto& v = d.verified[i];
            f.push_back(!v            ? std::string()
                        : v->answered ? formatInUnit(t, v->error)
                                      : std::string("no answer"));
        }
        f.push_back(d.writtenAt ? timeText(*d.writtenAt) : std::string());
        csv += line(f);
    }
    return csv;
}

std::string calibrationReportFileName(const std::tm& l) {
    return "calibration-" + num::formatInt(l.tm_year + 1900) + twoDigits(l.tm_mon + 1) +
           twoDigits(l.tm_mday) + "-" + twoDigits(l.tm_hour) + twoDigits(l.tm_min) +
           twoDigits(l.tm_sec) + ".csv";
}

ReportSaved saveCalibrationReport(const std::filesystem::path& dir,
                                  const CalibrationSnapshot& snapshot, const std::string& unit,
                                  Clock::TimePoint now) {
    ReportSaved saved;
    const std::string name = calibrationReportFileName(Clock::localTime(now));
    const std::string stem = name.substr(0, name.size() - 4);
    ensureDirectory(dir);
    AtomicFile file(dir / name);
    file.write(calibrationReportCsv(snapshot, unit));
    // A name already taken gets the next number, so no earlier report is overwritten.
    const FileWritten w = file.commitAsNew(
        [&](int i) { return i == 1 ? name : stem + "-" + num::formatInt(i) + ".csv"; }, 999);
    saved.ok = w.ok;
    saved.path = w.path;
    saved.reason = w.why;
    return saved;
}

}  // namespace calib
