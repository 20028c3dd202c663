#include "cli/ProductionCommands.h"
#include "cli/ExitCodes.h"
#include "cli/OutputCheck.h"
#include "cli/Signals.h"

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "calibration/CalibrationMath.h"
#include "calibration/CalibrationReport.h"
#include "calibration/OutputCalibration.h"
#include "calibration/SensorCalibration.h"
#include "common/FileWrite.h"
#include "common/JsonWriter.h"
#include "common/NumberText.h"
#include "config/DeviceSearch.h"
#include "config/ParameterModel.h"
#include "link/RegisterMap.h"

namespace {

using namespace cli_exit;

struct CalibrateOptions {
    int points = 0;
    std::optional<std::pair<float, float>> range;
    std::optional<std::string> dot;
    std::optional<std::string> signal;
    std::optional<int> density;
    std::optional<std::string> apply;
    std::optional<std::string> report;
};

struct OutputOptions {
    calib::OutputKind kind = calib::OutputKind::Current;
    std::optional<std::string> measure;
};

bool isDot(const std::string& s) {
    return calib::pointPositionScale(s) != 0;
}

std::optional<CalibrateOptions> parseCalibrate(const std::vector<std::string>& args) {
    CalibrateOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool has = i + 1 < args.size();
        if (a == "--points" && has) {
            const auto n = num::parseInteger(args[++i], 2, 5);
            if (!n || !calib::isPointCount(static_cast<int>(*n)))
                return std::nullopt;
            o.points = static_cast<int>(*n);
        } else if (a == "--range" && i + 2 < args.size()) {
            const auto s = num::parseFloat(args[i + 1]);
            const auto e = num::parseFloat(args[i + 2]);
            if (!s || !e)
                return std::nullopt;
            o.range = {*s, *e};
            i += 2;
        } else if (a == "--dot" && has) {
            o.dot = args[++i];
            if (!isDot(*o.dot))
                return std::nullopt;
        } else if (a == "--signal" && has) {
            o.signal = args[++i];
            if (*o.signal != "Pressure" && *o.signal != "Temperature" && *o.signal != "level")
                return std::nullopt;
        } else if (a == "--density" && has) {
            const auto d = num::parseInteger(args[++i], 0, 65535);
            if (!d)
                return std::nullopt;
            o.density = static_cast<int>(*d);
        } else if (a == "--apply" && has) {
            o.apply = args[++i];
        } else if (a == "--report" && has) {
            o.report = args[++i];
        } else {
            return std::nullopt;
        }
    }
    if (o.points == 0)
        return std::nullopt;
    return o;
}

std::optional<OutputOptions> parseOutput(const std::vector<std::string>& args) {
    if (args.empty() || (args[0] != "current" && args[0] != "voltage"))
        return std::nullopt;
    OutputOptions o;
    o.kind = args[0] == "current" ? calib::OutputKind::Current : calib::OutputKind::Voltage;
    if (args.size() == 3 && args[1] == "--measure")
        o.measure = args[2];
    else if (args.size() != 1)
        return std::nullopt;
    return o;
}

// A full scan, as the page's Search: OnlineTable and the block of the highest online device.
std::optional<std::array<std::uint8_t, reg::kBlockAnswerLength>> scanAll(AppContext& ctx) {
    config::SearchState st;
    const config::SearchOutcome out = config::ScanAllDevices(ctx, st);
    if (st.SearchFailed.load()) {
        ctx.messages.show(config::kSearchFailed);
        return std::nullopt;
    }
    if (ctx.onlineAddresses().empty()) {
        ctx.messages.show(config::kNoOnlineDevice);
        return std::nullopt;
    }
    return out.block;
}

// The operator at the terminal: false when standard input has ended.
bool promptAndWait(const std::string& prompt) {
    std::fprintf(stderr, "%s\n", prompt.c_str());
    std::fflush(stderr);
    return readInputLine().has_value();
}

// Runs a hook through the shell; true when it exited 0. Its standard output is kept in `out`.
bool runHook(const std::string& command, std::string* out = nullptr) {
    flushOutput();
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return false;
    char buf[256];
    std::string text;
    while (std::fgets(buf, sizeof buf, p)) text += buf;
    const int status = pclose(p);
    if (out)
        *out = text;
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string hookFailedText(const std::string& command) {
    return "The hook command failed: " + command;
}

const char* outcomeName(calib::DeviceOutcome o) {
    switch (o) {
        case calib::DeviceOutcome::Written:
            return "written";
        case calib::DeviceOutcome::NotConfirmed:
            return "not confirmed";
        case calib::DeviceOutcome::MissingReading:
            return "missing reading";
        case calib::DeviceOutcome::EqualReadings:
            return "equal readings";
        case calib::DeviceOutcome::NotReached:
            return "not reached";
        case calib::DeviceOutcome::None:
            break;
    }
    return "not computed";
}

// Written, and the measured value at the last point within the residual limit of its target.
bool deviceVerified(const calib::DeviceCalibration& d, const calib::TargetSet& t) {
    const auto& v = d.verified[t.pointCount - 1];
    const double limit = calib::kResidualLimit * std::fabs(double(t.rangeEnd) - t.rangeStart);
    return d.outcome == calib::DeviceOutcome::Written && v && v->answered &&
           std::fabs(v->error) <= limit;
}

// A report file that was not (or could not be) written is told with the system's reason.
bool reportOkOrTold(const std::string& file, const FileWritten& w, AppContext& ctx) {
    if (!w.ok)
        ctx.messages.show(calib::reportFailedText(file, w.why));
    return w.ok;
}

int calibrate(const CalibrateOptions& o, AppContext& ctx, bool json) {
    // Before anything is sent: a report that cannot be written would lose the run's record.
    if (o.report && !reportOkOrTold(*o.report, probeWritable(*o.report), ctx))
        return kFailed;
    const auto scan = scanAll(ctx);
    if (!scan)
        return kFailed;
    // The settings the page takes after a full scan: those of the highest online device.
    config::BasicConfigModel m;
    m.ShowEnterpriseLayout();
    m.DecodeParameterBlock(scan->data());
    BasicSettings basic = m.settings();
    if (o.range) {
        basic.RangeStart = o.range->first;
        basic.RangeEnd = o.range->second;
    }
    if (o.dot)
        basic.PointPositionText = *o.dot;
    const calib::TargetSet t =
        calib::targetSetFor(basic, o.points, o.signal.value_or(basic.SignalTypeText),
                            o.density.value_or(basic.LiquidDensity));
    if (const auto refusal = calib::targetsRefusal(t)) {
        ctx.messages.show(*refusal);
        return kFailed;
    }
    const auto targets = calib::targetValues(t);
    calib::SensorCalibration sc(ctx);
    for (int k = 1; k <= t.pointCount; ++k) {
        const std::string target = calib::formatTarget(targets[k - 1]);
        if (o.apply) {
            const std::string command = substitute(*o.apply, "target", target);
            if (!runHook(command)) {
                ctx.messages.show(hookFailedText(command));
                return kFailed;
            }
        } else if (!promptAndWait("Apply " + target + " " + basic.SignalUnitText +
                                  " and press Enter")) {
            return kFailed;
        }
        sc.prepareAcquisition(k);
        sc.acquire(k, t, nullptr);
        if (sc.AcqFailed[k - 1].load())
            return kFailed;
    }
    sc.prepareDownload();
    sc.computeAndDownload(t, nullptr);
    if (sc.KBDownloadFailed.load())
        return kFailed;
    // The last point is still applied: what each written device measures now.
    sc.prepareVerify();
    bool anyWritten = false;
    for (const auto& d : sc.snapshot().devices)
        anyWritten = anyWritten || d.outcome == calib::DeviceOutcome::Written;
    if (anyWritten) {
        sc.verify(t.pointCount, t, nullptr);
        if (sc.VerifyFailed.load())
            return kFailed;
    }
    const calib::CalibrationSnapshot snap = sc.snapshot();
    // A report that cannot be written still leaves the table below: the readings are not lost.
    const bool reportWritten =
        !o.report ||
        reportOkOrTold(*o.report,
                       replaceFileAtomically(
                           *o.report, calib::calibrationReportCsv(snap, basic.SignalUnitText)),
                       ctx);

    bool all = true;
    const int n = t.pointCount;
    JsonWriter w;
    w.beginObject().key("command").value("calibrate").key("points").value(n);
    w.key("unit").value(basic.SignalUnitText).key("targets").beginArray();
    // As the operator reads them ("0.800"), not the float's binary tail.
    for (int k = 0; k < n; ++k)
        w.value(num::parseDouble(calib::formatTarget(targets[k])).value_or(0.0));
    w.endArray().key("devices").beginArray();
    if (!json) {
        std::string header = "address";
        for (int k = 1; k <= n; ++k) header += "\treading" + num::formatInt(k);
        header += "\tK\tB";
        for (int k = 1; k <= n; ++k) header += "\tresidual" + num::formatInt(k);
        std::printf("%s\tverify\tresult\n", header.c_str());
    }
    for (int a : ctx.onlineAddresses()) {
        const calib::DeviceCalibration* d = snap.device(a);
        calib::DeviceCalibration none;
        none.address = a;
        const calib::DeviceCalibration& c = d ? *d : none;
        const bool ok = deviceVerified(c, t);
        all = all && ok;
        const auto& v = c.verified[n - 1];
        const std::string verifyText = !v             ? "-"
                                       : !v->answered ? "no answer"
                                                      : calib::formatInUnit(t, v->error);
        const std::string result = ok ? "verified"
                                   : c.outcome == calib::DeviceOutcome::Written
                                       ? "verify failed"
                                       : outcomeName(c.outcome);
        w.beginObject().key("address").value(a).key("readings").beginArray();
        std::string row = num::formatInt(a);
        for (int k = 0; k < n; ++k) {
            if (c.readings[k]) {
                w.value(*c.readings[k]);
                row += "\t" + num::formatInt(static_cast<long long>(*c.readings[k]));
            } else {
                w.null();
                row += "\t-";
            }
        }
        w.endArray();
        if (c.fitted) {
            w.key("K").value(c.K).key("B").value(c.B);
            row += "\t" + calib::formatCoefficient(c.K) + "\t" + calib::formatCoefficient(c.B);
        } else {
            w.key("K").null().key("B").null();
            row += "\t-\t-";
        }
        w.key("residuals").beginArray();
        for (int k = 0; k < n; ++k) {
            if (c.fitted) {
                w.value(c.quality.residuals[k]);
                row += "\t" + calib::formatInUnit(t, c.quality.residuals[k]);
            } else {
                w.null();
                row += "\t-";
            }
        }
        w.endArray().key("marked").value(c.fitted && c.quality.marked);
        w.key("verifyError");
        if (v && v->answered)
            w.value(v->error);
        else
            w.null();
        w.key("result").value(result).key("ok").value(ok).endObject();
        if (!json)
            std::printf("%s\t%s\t%s\n", row.c_str(), verifyText.c_str(), result.c_str());
    }
    w.endArray().key("ok").value(all).endObject();
    if (json)
        std::printf("%s\n", w.text().c_str());
    return all && reportWritten ? kOk : kFailed;
}

// A measured output value from the hook's first line or the terminal.
std::optional<float> measure(const OutputOptions& o, const char* point, const char* unit,
                             AppContext& ctx) {
    std::string text;
    if (o.measure) {
        const std::string command = substitute(*o.measure, "point", point);
        if (!runHook(command, &text)) {
            ctx.messages.show(hookFailedText(command));
            return std::nullopt;
        }
        text = text.substr(0, text.find('\n'));
    } else {
        std::fprintf(stderr, "Measured %s value (%s): ", point, unit);
        std::fflush(stderr);
        const auto line = readInputLine();
        if (!line)
            return std::nullopt;
        text = *line;
    }
    const auto v = num::parseFloat(text);
    if (!v)
        ctx.messages.show(std::string("Not a number: ") + text);
    return v;
}

// A device left in an output-command mode keeps driving the commanded output: however the run
// ends before every device has its coefficients (a failed hook, a bad number, the end of input,
// a signal), every device gets the end-of-commands value.
class OutputCommandsEnd {
public:
    explicit OutputCommandsEnd(AppContext& ctx) : ctx_(ctx) {}
    ~OutputCommandsEnd() {
        if (!armed_ || !ctx_.bus.isOpen())
            return;
        ctx_.bus.refuseNewExchanges(false);  // a signal stopped the run; this is still owed
        calib::sendOutputCommand(ctx_, calib::kCommandPrepare);
    }
    OutputCommandsEnd(const OutputCommandsEnd&) = delete;
    OutputCommandsEnd& operator=(const OutputCommandsEnd&) = delete;
    void arm() { armed_ = true; }
    void disarm() { armed_ = false; }

private:
    AppContext& ctx_;
    bool armed_ = false;
};

int outputCalibrate(const OutputOptions& o, AppContext& ctx, bool json) {
    if (!scanAll(ctx))
        return kFailed;
    OutputCommandsEnd end(ctx);
    const bool current = o.kind == calib::OutputKind::Current;
    const char* unit = current ? "mA" : "V";
    float values[2] = {};
    const std::uint16_t commands[2] = {calib::kCommandLow, calib::kCommandHigh};
    const char* points[2] = {"low", "high"};
    for (int i = 0; i < 2; ++i) {
        end.arm();
        if (calib::sendOutputCommand(ctx, commands[i]) < 0)
            return kFailed;
        const auto v = measure(o, points[i], unit, ctx);
        if (!v)
            return kFailed;
        values[i] = *v;
    }
    // Equal or swapped values would give every output a flat or reversed line.
    if (!(values[1] > values[0])) {
        ctx.messages.show("The high value must be above the low value; nothing was written.");
        return kFailed;
    }
    float slope = 0.0f, offset = 0.0f;
    calib::ComputeSlopeOffset(values[0], values[1], slope, offset);
    std::atomic<int> done{0};
    const std::atomic<int> cancel{0};
    calib::downloadOutputCoefficients(ctx, o.kind, slope, offset, done, cancel);
    if (!stopSignal())
        end.disarm();  // every device went through the download, which ends its commands

    // Read back registers 28-31 (32-35): the coefficients each device now holds.
    const std::uint16_t first = current ? reg::CurrentCoefficients : reg::VoltageCoefficients;
    const auto slopeBytes = reg::floatToRegisters(slope);
    const auto offsetBytes = reg::floatToRegisters(offset);
    bool all = true;
    JsonWriter w;
    w.beginObject().key("command").value("output-calibrate");
    w.key("output").value(current ? "current" : "voltage").key("low").value(values[0]);
    w.key("high").value(values[1]).key("slope").value(slope);
    w.key("offset").value(offset).key("devices").beginArray();
    if (!json)
        std::printf("slope %s offset %s\n", num::formatGeneral(slope, 9).c_str(),
                    num::formatGeneral(offset, 9).c_str());
    for (int a : ctx.onlineAddresses()) {
        const ExchangeResult r = ctx.bus.readInputRegisters(static_cast<std::uint8_t>(a), first, 4,
                                                            Timing::kRegisterWaitMs);
        if (!r.ioOk)
            return kFailed;
        std::string result = "no answer";
        if (r.complete() && r.crcOk()) {
            const bool same = std::equal(slopeBytes.begin(), slopeBytes.end(), &r.answer[3]) &&
                              std::equal(offsetBytes.begin(), offsetBytes.end(), &r.answer[7]);
            result = same ? "verified" : "holds other coefficients";
        }
        const bool ok = result == "verified";
        all = all && ok;
        w.beginObject().key("address").value(a).key("result").value(result);
        w.key("ok").value(ok).endObject();
        if (!json)
            std::printf("%d: %s\n", a, result.c_str());
    }
    w.endArray().key("ok").value(all).endObject();
    if (json)
        std::printf("%s\n", w.text().c_str());
    return all ? kOk : kFailed;
}

}  // namespace

std::string substitute(std::string command, const std::string& name, const std::string& value) {
    const std::string mark = "{" + name + "}";
    for (auto at = command.find(mark); at != std::string::npos;
         at = command.find(mark, at + value.size()))
        command.replace(at, mark.size(), value);
    return command;
}

bool isProductionCommand(const std::string& command) {
    return command == "calibrate" || command == "output-calibrate";
}

bool productionArgumentsValid(const std::string& command, const std::vector<std::string>& args) {
    if (command == "calibrate")
        return parseCalibrate(args).has_value();
    return parseOutput(args).has_value();
}

int runProductionCommand(const std::string& command, const std::vector<std::string>& args,
                         AppContext& ctx, bool json) {
    if (command == "calibrate") {
        const auto o = parseCalibrate(args);
        return o ? calibrate(*o, ctx, json) : kUsage;
    }
    const auto o = parseOutput(args);
    return o ? outputCalibrate(*o, ctx, json) : kUsage;
}

const char* productionUsage() {
    return "  calibrate --points 2|3|5 [--range START END] [--dot 0000|000.0|00.00|0.000]\n"
           "            [--signal Pressure|Temperature|level] [--density D]\n"
           "            [--apply 'CMD {target}'] [--report FILE]\n"
           "                            sensor calibration of every online device: the settings\n"
           "                            of the highest online device unless given; at each point\n"
           "                            CMD runs with {target} replaced (without --apply the\n"
           "                            terminal asks); K and B written, verified at the last\n"
           "                            point; one row per device; --report keeps the CSV report\n"
           "  output-calibrate current|voltage [--measure 'CMD {point}']\n"
           "                            low and high output commands to every online device; the\n"
           "                            measured value is CMD's first line ({point}: low, high)\n"
           "                            or typed at the terminal; slope and offset written and\n"
           "                            read back\n";
}
