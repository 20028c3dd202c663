#include "cli/ProductionCommands.h"
#include "cli/ExitCodes.h"
#include "cli/OutputCheck.h"
#include "cli/Signals.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "base/FileWrite.h"
#include "base/JsonWriter.h"
#include "base/NumberText.h"
#include "base/Texts.h"
#include "calibration/CalibrationMath.h"
#include "calibration/CalibrationReport.h"
#include "calibration/OutputCalibration.h"
#include "calibration/SensorCalibration.h"
#include "cli/CliTexts.h"
#include "cli/DeviceBlock.h"
#include "cli/Hook.h"
#include "cli/Run.h"
#include "config/DeviceSearch.h"
#include "config/ParameterModel.h"
#include "link/ParameterCodes.h"
#include "link/RegisterMap.h"

namespace {

using namespace cli_exit;
using cli::Arguments;
using cli::UsageError;

constexpr double kDefaultHookTimeoutS = 600.0;

struct CalibrateOptions {
    int points = 0;
    std::optional<std::pair<float, float>> range;
    std::optional<std::string> dot;
    std::optional<std::string> signal;
    std::optional<int> density;
    std::optional<std::string> apply;
    std::optional<std::string> report;
    double hookTimeoutS = kDefaultHookTimeoutS;
};

struct OutputOptions {
    calib::OutputKind kind = calib::OutputKind::Current;
    std::optional<std::string> measure;
    double hookTimeoutS = kDefaultHookTimeoutS;
};

bool isDot(const std::string& s) {
    return calib::pointPositionScale(s) != 0;
}

double hookTimeout(const Arguments& a) {
    const auto v = a.value("--hook-timeout-s");
    if (!v)
        return kDefaultHookTimeoutS;
    const auto s = num::parseDouble(*v);
    if (!s || !(*s > 0.0) || *s > 7.0 * 24 * 3600)
        cli::refuseValue("--hook-timeout-s", *v);
    return *s;
}

CalibrateOptions parseCalibrate(const Arguments& a) {
    cli::needPositionals(a, 0, "");
    CalibrateOptions o;
    const auto points = a.value("--points");
    if (!points)
        throw UsageError("calibrate: --points is missing");
    const auto n = num::parseInteger(*points, 2, 5);
    if (!n || !calib::isPointCount(static_cast<int>(*n)))
        cli::refuseValue("--points", *points);
    o.points = static_cast<int>(*n);
    if (const auto* r = a.values("--range")) {
        const auto s = num::parseFloat((*r)[0]);
        const auto e = num::parseFloat((*r)[1]);
        if (!s || !e)
            cli::refuseValue("--range", (*r)[0] + " " + (*r)[1]);
        o.range = {*s, *e};
    }
    if ((o.dot = a.value("--dot")) && !isDot(*o.dot))
        cli::refuseValue("--dot", *o.dot);
    if ((o.signal = a.value("--signal")) && !reg::signalTypeOf(*o.signal))
        cli::refuseValue("--signal", *o.signal);
    if (const auto d = a.value("--density")) {
        const auto v = num::parseInteger(*d, 0, 65535);
        if (!v)
            cli::refuseValue("--density", *d);
        o.density = static_cast<int>(*v);
    }
    o.apply = a.value("--apply");
    o.report = a.value("--report");
    o.hookTimeoutS = hookTimeout(a);
    if (a.has("--hook-timeout-s") && !o.apply)
        throw UsageError("--hook-timeout-s is accepted only with --apply");
    return o;
}

OutputOptions parseOutput(const Arguments& a) {
    cli::needPositionals(a, 1, "current|voltage");
    const std::string& kind = a.positionals[0];
    if (kind != "current" && kind != "voltage")
        throw UsageError(kind + " is not accepted");
    OutputOptions o;
    o.kind = kind == "current" ? calib::OutputKind::Current : calib::OutputKind::Voltage;
    o.measure = a.value("--measure");
    o.hookTimeoutS = hookTimeout(a);
    if (a.has("--hook-timeout-s") && !o.measure)
        throw UsageError("--hook-timeout-s is accepted only with --measure");
    return o;
}

// What the options alone make of the targets, before any device is asked: a range whose start
// is its end, a level without density. What the devices supply is taken as fitting here.
std::optional<std::string> earlyTargetsRefusal(const CalibrateOptions& o) {
    calib::TargetSet t;
    t.pointCount = o.points;
    if (o.range) {
        t.rangeStart = o.range->first;
        t.rangeEnd = o.range->second;
    }
    t.pointPosition = o.dot.value_or("0000");
    t.signalType = o.signal.value_or("Pressure");
    t.density = o.density.value_or(1);
    return calib::targetsRefusal(t);
}

// A full scan, as the page's Search: OnlineTable and the block of the highest online device.
std::optional<std::array<std::uint8_t, reg::kBlockAnswerLength>> scanAll(AppContext& ctx) {
    config::SearchState st;
    const config::SearchOutcome out = config::ScanAllDevices(ctx, st);
    if (st.SearchFailed.load()) {
        ctx.messages.show(config::kSearchFailed);
        return std::nullopt;
    }
    cli::know("devices", cli::jsonList(ctx.onlineAddresses()));
    if (ctx.onlineAddresses().empty()) {
        ctx.messages.show(config::kNoOnlineDevice);
        return std::nullopt;
    }
    return out.block;
}

// A line from the terminal; nullopt (and said so) when standard input has ended.
// A signal ends the wait too (the run then stops as a signal says).
std::optional<std::string> lineFromTerminal() {
    const auto line = readInputLine(cli::in());
    if (!line && !stopSignal())
        cli::tell(cli::texts::kInputEnded);
    return line;
}

void prompt(const std::string& text, bool newline) {
    std::fprintf(cli::run().io.err, "%s%s", text.c_str(), newline ? "\n" : "");
    std::fflush(cli::run().io.err);
}

// Runs a hook; false (and said why) unless it exited 0 in time. Its standard output in `out`.
bool hook(const std::string& command, const std::vector<std::pair<std::string, std::string>>& env,
          double timeoutS, std::string* out = nullptr) {
    flushOutput();  // what was printed before the hook comes before what it prints
    const cli::HookRun r = cli::runHook(command, env, timeoutS);
    if (out)
        *out = r.output;
    if (r.status == cli::HookRun::Status::TimedOut)
        cli::say(cli::texts::kHookTimedOut, {num::formatShortest(timeoutS), command});
    else if (r.status == cli::HookRun::Status::Failed)
        cli::say(cli::texts::kHookFailed, {command});
    return r.status == cli::HookRun::Status::Succeeded;
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
    m.DecodeParameterBlock(*scan);
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
    // A line that fails ends the run, not the table and the report: the readings taken and what
    // each device is known to hold are still told.
    bool lineFailed = false;
    for (int k = 1; k <= t.pointCount; ++k) {
        const std::string target = calib::formatTarget(targets[k - 1]);
        if (o.apply) {
            const std::string command = substitute(*o.apply, "target", target);
            if (!hook(command,
                      {{"KORVELANTIS_TARGET", target}, {"KORVELANTIS_UNIT", basic.SignalUnitText}},
                      o.hookTimeoutS))
                return kFailed;
        } else {
            prompt(cli::spokenText(cli::texts::kApplyPrompt, {target, basic.SignalUnitText}), true);
            if (!lineFromTerminal())
                return kFailed;
        }
        sc.prepareAcquisition(k);
        sc.acquire(k, t, nullptr);
        lineFailed = sc.AcqFailed[k - 1].load() != 0;
        if (lineFailed)
            break;
    }
    if (!lineFailed) {
        sc.prepareDownload();
        sc.computeAndDownload(t, nullptr);
        lineFailed = sc.KBDownloadFailed.load() != 0;
    }
    // The last point is still applied: what each written device measures now.
    sc.prepareVerify();
    bool anyWritten = false;
    for (const auto& d : sc.snapshot().devices)
        anyWritten = anyWritten || d.outcome == calib::DeviceOutcome::Written;
    if (anyWritten && !lineFailed) {
        sc.verify(t.pointCount, t, nullptr);
        lineFailed = sc.VerifyFailed.load() != 0;
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
        std::fprintf(cli::out(), "%s\tverify\tresult\n", header.c_str());
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
                                   : c.outcome == calib::DeviceOutcome::Written && v
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
            std::fprintf(cli::out(), "%s\t%s\t%s\n", row.c_str(), verifyText.c_str(),
                         result.c_str());
    }
    all = all && !lineFailed;
    w.endArray().key("ok").value(all).endObject();
    if (json)
        cli::printJson(w);
    return all && reportWritten ? kOk : kFailed;
}

// A measured output value from the hook's first line or the terminal.
std::optional<float> measure(const OutputOptions& o, const char* point, const char* unit) {
    std::string text;
    if (o.measure) {
        const std::string command = substitute(*o.measure, "point", point);
        if (!hook(command, {{"KORVELANTIS_POINT", point}, {"KORVELANTIS_UNIT", unit}},
                  o.hookTimeoutS, &text))
            return std::nullopt;
        text = text.substr(0, text.find('\n'));
    } else {
        prompt(cli::spokenText(cli::texts::kMeasuredPrompt, {point, unit}), false);
        const auto line = lineFromTerminal();
        if (!line)
            return std::nullopt;
        text = *line;
    }
    const auto v = num::parseFloat(text);
    if (!v)
        cli::say(cli::texts::kNotANumber, {text});
    return v;
}

// Every online device must have the output being calibrated, as the window offers only that
// group: its output type from its own block, asked before anything is sent.
bool outputsPresent(AppContext& ctx, calib::OutputKind kind) {
    bool all = true;
    for (int a : ctx.onlineAddresses()) {
        const auto answer = cli::readBlock(ctx, static_cast<std::uint8_t>(a));
        if (!answer)
            return false;
        const int code = reg::ParameterBlock::fromAnswer(*answer).get(reg::OutputType);
        const std::string type =
            reg::decodeCode(reg::kOutputTypes, code).value_or("code " + num::formatInt(code));
        const bool has = kind == calib::OutputKind::Current ? reg::hasCurrentOutput(type)
                                                            : reg::hasVoltageOutput(type);
        if (!has) {
            cli::say(kind == calib::OutputKind::Current ? cli::texts::kNoCurrentOutput
                                                        : cli::texts::kNoVoltageOutput,
                     {num::formatInt(a), type});
            all = false;
        }
    }
    return all;
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
    if (!scanAll(ctx) || !outputsPresent(ctx, o.kind))
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
        const auto v = measure(o, points[i], unit);
        if (!v)
            return kFailed;
        values[i] = *v;
    }
    // Equal or swapped values would give every output a flat or reversed line.
    if (!(values[1] > values[0])) {
        cli::tell(cli::texts::kHighNotAboveLow);
        return kFailed;
    }
    float slope = 0.0f, offset = 0.0f;
    calib::ComputeSlopeOffset(values[0], values[1], slope, offset);
    std::atomic<int> done{0};
    const std::atomic<int> cancel{0};
    const calib::OutputDownload download =
        calib::downloadOutputCoefficients(ctx, o.kind, slope, offset, done, cancel);
    if (!stopSignal())
        end.disarm();  // every device went through the download, which ends its commands
    // Once the line has failed, each device is named by what its write is known to have done.
    bool lineFailed = download.lineFailed;

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
        std::fprintf(cli::out(), "slope %s offset %s\n", num::formatGeneral(slope, 9).c_str(),
                     num::formatGeneral(offset, 9).c_str());
    for (const auto& [a, written] : download.devices) {
        std::string result = "no answer";
        if (!lineFailed) {
            const ExchangeResult r = ctx.bus.readInputRegisters(static_cast<std::uint8_t>(a), first,
                                                                4, Timing::kRegisterWaitMs);
            lineFailed = r.lineFailed();
            if (r.answered()) {
                const bool same = std::equal(slopeBytes.begin(), slopeBytes.end(), &r.answer[3]) &&
                                  std::equal(offsetBytes.begin(), offsetBytes.end(), &r.answer[7]);
                result = same ? "verified" : "holds other coefficients";
            }
        }
        if (lineFailed)
            result = written == calib::WriteOutcome::Confirmed      ? "written"
                     : written == calib::WriteOutcome::NotConfirmed ? "not confirmed"
                                                                    : "not reached";
        const bool ok = result == "verified";
        all = all && ok;
        w.beginObject().key("address").value(a).key("result").value(result);
        w.key("ok").value(ok).endObject();
        if (!json)
            std::fprintf(cli::out(), "%d: %s\n", a, result.c_str());
    }
    w.endArray().key("ok").value(all).endObject();
    if (json)
        cli::printJson(w);
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

namespace cli {

const std::vector<OptionSpec>& calibrateOptions() {
    static const std::vector<OptionSpec> o{{"--points", 1}, {"--range", 2},         {"--dot", 1},
                                           {"--signal", 1}, {"--density", 1},       {"--apply", 1},
                                           {"--report", 1}, {"--hook-timeout-s", 1}};
    return o;
}

std::optional<int> checkCalibrate(const Arguments& args) {
    if (const auto refusal = earlyTargetsRefusal(parseCalibrate(args))) {
        tell(*refusal);
        return kFailed;
    }
    return std::nullopt;
}

int runCalibrate(CommandContext& c) {
    return calibrate(parseCalibrate(c.args), c.ctx, c.json);
}

const std::vector<OptionSpec>& outputCalibrateOptions() {
    static const std::vector<OptionSpec> o{{"--measure", 1}, {"--hook-timeout-s", 1}};
    return o;
}

std::optional<int> checkOutputCalibrate(const Arguments& args) {
    parseOutput(args);
    return std::nullopt;
}

int runOutputCalibrate(CommandContext& c) {
    return outputCalibrate(parseOutput(c.args), c.ctx, c.json);
}

}  // namespace cli
