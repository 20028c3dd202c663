#include "cli/Cli.h"
#include "cli/ExitCodes.h"
#include "cli/OutputCheck.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/AcquisitionCommands.h"
#include "cli/ProductionCommands.h"
#include "cli/Signals.h"
#include "common/AppContext.h"
#include "common/JsonWriter.h"
#include "common/NumberText.h"
#include "common/Version.h"
#include "config/DeviceSearch.h"
#include "config/Download.h"
#include "config/ParameterFile.h"
#include "config/ParameterModel.h"
#include "config/ReadBack.h"
#include "config/Readdress.h"
#include "link/RegisterMap.h"
#include "sim/SimBus.h"

namespace {

using namespace cli_exit;

// The program's messages go to standard error; while the port opens they are held back, so a
// script sees the open message only when the open fails.
class CliMessages : public OperatorMessages {
public:
    void show(std::string_view text, MessageIcon icon) override {
        if (holding_)
            held_.show(text, icon);
        else
            out_.show(text, icon);
    }
    void showWithDetail(std::string_view text, MessageIcon icon, std::string_view detail) override {
        if (holding_)
            held_.showWithDetail(text, icon, detail);
        else
            out_.showWithDetail(text, icon, detail);
    }
    void hold(bool on) { holding_ = on; }
    void releaseHeld() {
        for (const auto& e : held_.entries()) out_.showWithDetail(e.text, e.icon, e.detail);
        held_.clear();
    }
    void dropHeld() { held_.clear(); }

private:
    bool holding_ = false;
    StderrMessages out_;
    RecordingMessages held_;
};

int usage() {
    std::fprintf(stderr,
                 "usage: korvelantis-cli --version\n"
                 "       korvelantis-cli [--port PATH | --simulate 1,7,12] [--baud N]\n"
                 "         [--parity \"No parity\"|\"Odd parity\"|\"even parity\"]\n"
                 "         [--data-bits 8|7] [--stop-bits 1|1.5|2] [--timeout-ms 20..5000]\n"
                 "         [--time-scale X] [--trace] [--json] COMMAND\n"
                 "  --json: scan, read, download, configure, calibrate, output-calibrate and\n"
                 "          collect print one JSON document on standard output (messages stay on\n"
                 "          standard error); also accepted after the command\n"
                 "  --port tcp:HOST:PORT: RTU frames over a TCP connection (a serial device\n"
                 "                  server); the line settings are then those of the server\n"
                 "  --trace: every frame sent and received to standard error, one line each:\n"
                 "           TIME_MS TX|RX ADDR FUNC good|bad OUTCOME LATENCY_MS BYTES\n"
                 "  --baud N: 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600 or 115200\n"
                 "  --timeout-ms N: wait the wire time plus N ms for an answer (default: the\n"
                 "                  classic waits of each exchange)\n"
                 "commands:\n"
                 "  scan                      the first device that answers\n"
                 "  scan --all                every online address 1..60\n"
                 "  scan [--all] --stats      ... and then the figures of every address polled\n"
                 "  read ADDR                 the parameters of ADDR as a parameter file; exit 5\n"
                 "                            when a line reads \"(code N)\": a code no list can\n"
                 "                            show, which download refuses\n"
                 "  download ADDR FILE        switch and output parameters of FILE to ADDR, read\n"
                 "                            back: \"ADDR: verified\" or what it holds instead\n"
                 "  download --all FILE       every online device (a full scan first) gets all\n"
                 "                            parameters of FILE at once (address 127), then each\n"
                 "                            is read back, one line each; exit 0 only when every\n"
                 "                            one verifies\n"
                 "  configure ADDRESS PRODUCT_CODE [--force]\n"
                 "                            new address and product code (address 127), then\n"
                 "                            read at the new address; refused when more than one\n"
                 "                            device answers, unless --force\n"
                 "%s%s",
                 productionUsage(), acquisitionUsage());
    return kUsage;
}

std::optional<std::uint8_t> parseDeviceAddress(const std::string& s) {
    const auto v = num::parseInteger(s, 1, AppContext::kAddressCount);
    if (!v)
        return std::nullopt;
    return static_cast<std::uint8_t>(*v);
}

// A rate the port can set: any other would leave the driver's rate as it was, silently.
bool isLineRate(long long baud) {
    for (int rate : {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
        if (baud == rate)
            return true;
    return false;
}

// The addresses a command names (and the product code of "configure"), before the port opens.
bool addressesValid(const std::string& command, const std::vector<std::string>& args) {
    if (command == "read" || command == "collect")
        return !args.empty() && parseDeviceAddress(args[0]).has_value();
    if (command == "download")
        return args[0] == "--all" || parseDeviceAddress(args[0]).has_value();
    if (command == "configure") {
        // The product code's range is the command's own refusal (exit 3), not a usage error.
        return parseDeviceAddress(args[0]) && num::parseInteger(args[1], LLONG_MIN, LLONG_MAX) &&
               (args.size() == 2 || args[2] == "--force");
    }
    return true;
}

int refuse(const std::string& option, const std::string& value) {
    std::fprintf(stderr, "korvelantis-cli: %s %s is not accepted\n", option.c_str(), value.c_str());
    return usage();
}

// The parameter file into a model whose edits all hold numbers.
std::optional<config::BasicConfigModel> loadParameterFile(const std::string& path) {
    const config::ParameterFileRead file = config::readParameterFile(path);
    if (file.status == config::ParameterFileRead::Status::Unreadable) {
        std::fprintf(stderr, "%s: cannot be read (%s)\n", path.c_str(), file.problem.c_str());
        return std::nullopt;
    }
    if (!file.ok()) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), file.problem.c_str());
        return std::nullopt;
    }
    config::BasicConfigModel m;
    m.ShowEnterpriseLayout();
    config::applyParameterFile(m, file.values);
    const config::ReadResult r = m.readEdits();
    if (!r.ok) {
        // A value that is not a number would go out as an old or default one: refuse instead.
        std::fprintf(stderr, "%s\n%s: the value of this parameter is not a number\n",
                     r.message.c_str(), path.c_str());
        return std::nullopt;
    }
    // A choice that names no list entry would go out as whatever the list held before.
    if (const auto line = config::firstUnknownChoice(m, file.values)) {
        std::fprintf(stderr, "%s: %s=%s is not one of its choices\n", path.c_str(),
                     config::kParameterFileKeys[*line], file.values[*line].c_str());
        return std::nullopt;
    }
    return m;
}

// A frame the page would refuse is refused here too, with the page's text.
bool refused(const config::Frame& frame) {
    if (!frame.refusal)
        return false;
    std::fprintf(stderr, "%s\n", frame.refusal->message.c_str());
    return true;
}

// The command line's frame trace: each frame as a line on standard error.
class TraceObserver : public BusObserver {
public:
    void framesSeen(const std::vector<BusFrame>& frames) override {
        for (const BusFrame& f : frames) std::fprintf(stderr, "%s\n", formatFrameLine(f).c_str());
    }
};

// What follows "scan"; each option at most once, in any order.
struct ScanOptions {
    bool all = false;
    bool stats = false;
};

std::optional<ScanOptions> parseScanOptions(const std::vector<std::string>& args) {
    ScanOptions o;
    for (const std::string& a : args) {
        bool* flag = a == "--all" ? &o.all : a == "--stats" ? &o.stats : nullptr;
        if (!flag || *flag)
            return std::nullopt;
        *flag = true;
    }
    return o;
}

const char* readBackStatusName(config::ReadBackStatus s) {
    switch (s) {
        case config::ReadBackStatus::Verified:
            return "verified";
        case config::ReadBackStatus::Differs:
            return "differs";
        case config::ReadBackStatus::PortFailed:
            return "not read back";
        case config::ReadBackStatus::NotReached:
            return "not reached";
        case config::ReadBackStatus::NoAnswer:
            break;
    }
    return "no answer";
}

int scanFirst(AppContext& ctx, JsonWriter& w) {
    config::SearchState st;
    const config::SearchOutcome out = config::ScanFirstDevice(ctx, st);
    if (!out.message.empty())
        ctx.messages.show(out.message);
    const int current = ctx.CurrentAddress.load();
    w.key("devices").beginArray();
    if (out.complete)
        w.value(current);
    w.endArray().key("ok").value(out.complete);
    if (!out.complete)
        return kFailed;
    return kOk;
}

int scanAll(AppContext& ctx, JsonWriter& w) {
    config::SearchState st;
    config::ScanAllDevices(ctx, st);
    w.key("devices").beginArray();
    for (int a : ctx.onlineAddresses()) w.value(a);
    w.endArray();
    int code = kOk;
    if (st.SearchFailed.load()) {
        ctx.messages.show(config::kSearchFailed);
        code = kFailed;
    } else if (ctx.onlineAddresses().empty()) {
        ctx.messages.show(config::kNoOnlineDevice);
        code = kFailed;
    }
    w.key("ok").value(code == kOk);
    return code;
}

int scan(AppContext& ctx, const ScanOptions& options, bool json) {
    JsonWriter w;
    w.beginObject().key("command").value("scan").key("all").value(options.all);
    const int code = options.all ? scanAll(ctx, w) : scanFirst(ctx, w);
    const std::string stats = options.stats ? formatHealthTable(ctx.bus.health()) : std::string();
    if (options.stats)
        w.key("stats").value(stats);
    w.endObject();
    if (json) {
        std::printf("%s\n", w.text().c_str());
        return code;
    }
    if (code == kOk && !options.all)
        std::printf("%d\n", static_cast<int>(ctx.CurrentAddress.load()));
    if (options.all)
        for (int a : ctx.onlineAddresses()) std::printf("%d\n", a);
    if (options.stats)
        std::printf("%s", stats.c_str());
    return code;
}

// The device's 43-byte parameter-block answer; nullopt (and the reason told) when it gives none.
std::optional<std::vector<std::uint8_t>> readBlock(AppContext& ctx, std::uint8_t address) {
    const ExchangeResult r = ctx.bus.readInputRegisters(address, reg::kBlockFirst, reg::kBlockCount,
                                                        Timing::kSearchWaitMs);
    if (!r.ioOk)
        return std::nullopt;
    if (!r.complete() || !r.crcOk() || (r.answer[3] == 0 && r.answer[4] == 0)) {
        ctx.messages.show(config::kNoOnlineDevice);
        return std::nullopt;
    }
    return r.answer;
}

int readDevice(AppContext& ctx, std::uint8_t address, bool json) {
    const auto answer = readBlock(ctx, address);
    if (!answer) {
        if (json)
            std::printf("%s\n", JsonWriter()
                                    .beginObject()
                                    .key("command")
                                    .value("read")
                                    .key("address")
                                    .value(static_cast<int>(address))
                                    .key("ok")
                                    .value(false)
                                    .endObject()
                                    .text()
                                    .c_str());
        return kFailed;
    }
    config::BasicConfigModel m;
    m.ShowEnterpriseLayout();
    m.DecodeParameterBlock(answer->data());
    m.moveValuesToEdits();
    auto values = config::parameterFileValues(m);
    // The lists would show their own defaults for these: mark them so no download takes them.
    const auto unshown = config::codesNoListShows(reg::ParameterBlock::fromAnswer(answer->data()));
    JsonWriter w;
    w.beginObject().key("command").value("read").key("address").value(static_cast<int>(address));
    w.key("unshownCodes").beginArray();
    for (const config::UnshownCode& u : unshown) {
        values[u.line] = config::unshownCodeMark(u.code);
        std::fprintf(stderr, "%s: device %d holds code %d, which no list can show\n",
                     config::kParameterFileKeys[u.line], static_cast<int>(address), u.code);
        w.beginObject().key("key").value(config::kParameterFileKeys[u.line]);
        w.key("code").value(u.code).endObject();
    }
    w.endArray().key("parameters").beginObject();
    for (std::size_t i = 0; i < values.size(); ++i) {
        w.key(config::kParameterFileKeys[i]).value(values[i]);
        if (!json)
            std::printf("%s=%s\n", config::kParameterFileKeys[i], values[i].c_str());
    }
    w.endObject().key("ok").value(unshown.empty()).endObject();
    if (json)
        std::printf("%s\n", w.text().c_str());
    return unshown.empty() ? kOk : kUnshownCode;
}

// One line per device read back (or the JSON document), then the operator's message.
int reportDownload(AppContext& ctx, const config::DownloadReport& report, bool batch, bool json) {
    if (json) {
        JsonWriter w;
        w.beginObject().key("command").value("download").key("all").value(batch);
        w.key("written").value(report.written);
        w.key("devices").beginArray();
        for (const config::DeviceReadBack& d : report.devices) {
            w.beginObject().key("address").value(d.address);
            w.key("status").value(readBackStatusName(d.status));
            w.key("differences").beginArray();
            for (const config::RegisterDifference& x : d.differences) {
                w.beginObject().key("register").value(static_cast<int>(x.reg));
                w.key("text").value(config::differenceText(x));
                w.key("sent").value(config::registerValue(x.reg, x.sent));
                w.key("held").value(config::registerValue(x.reg, x.held)).endObject();
            }
            w.endArray().endObject();
        }
        w.endArray().key("ok").value(report.verified()).endObject();
        std::printf("%s\n", w.text().c_str());
    } else {
        for (const config::DeviceReadBack& d : report.devices)
            std::printf("%s\n", config::deviceReadBackText(d).c_str());
    }
    flushOutput();
    config::tellDownload(ctx.messages, report, batch);
    return report.verified() ? kOk : kFailed;
}

int download(AppContext& ctx, const std::vector<std::string>& args, bool json) {
    const auto m = loadParameterFile(args[1]);
    if (!m)
        return kFailed;
    if (args[0] == "--all") {
        const config::Frame frame = config::batchDownloadFrame(*m);
        if (refused(frame))
            return kFailed;
        // Who is there to read back; an empty bus has nobody to prove anything.
        config::SearchState st;
        config::ScanAllDevices(ctx, st);
        if (st.SearchFailed.load()) {
            ctx.messages.show(config::kSearchFailed);
            return kFailed;
        }
        const std::vector<int> online = ctx.onlineAddresses();
        if (online.empty()) {
            ctx.messages.show(config::kNoOnlineDevice);
            return kFailed;
        }
        return reportDownload(ctx, config::downloadToAllVerified(ctx, frame.bytes, online), true,
                              json);
    }
    const auto address = parseDeviceAddress(args[0]);
    if (!address)
        return usage();
    // Registers 10..21 mean what the device's own point position and output type say.
    const auto answer = readBlock(ctx, *address);
    if (!answer)
        return kFailed;
    const auto block = reg::ParameterBlock::fromAnswer(answer->data());
    if (const auto mismatch = config::deviceMismatch(*m, block, *address)) {
        std::fprintf(stderr, "%s\n", mismatch->c_str());
        return kFailed;
    }
    const config::Frame frame = config::singleDownloadFrame(*address, *m);
    if (refused(frame))
        return kFailed;
    ctx.CurrentAddress = *address;
    return reportDownload(ctx, config::downloadToDeviceVerified(ctx, frame.bytes), false, json);
}

const char* checkStatusName(config::ConfigurationCheck::Status s) {
    switch (s) {
        case config::ConfigurationCheck::Status::Confirmed:
            return "confirmed";
        case config::ConfigurationCheck::Status::Differs:
            return "differs";
        case config::ConfigurationCheck::Status::NoAnswer:
        case config::ConfigurationCheck::Status::PortFailed:
            break;
    }
    return "no answer";
}

int configure(AppContext& ctx, const std::vector<std::uint8_t>& frame, int address,
              long long productCode, bool force, bool json) {
    bool failed = false;
    const std::vector<int> answering = config::answeringDevices(ctx, failed);
    if (failed)
        return kFailed;
    JsonWriter w;
    w.beginObject().key("command").value("configure").key("address").value(address);
    w.key("productCode").value(productCode).key("answering").beginArray();
    for (int a : answering) w.value(a);
    w.endArray();
    const bool refusedSeveral = answering.size() > 1 && !force;
    config::ConfigurationCheck check;
    if (refusedSeveral)
        ctx.messages.show(config::severalAnswerRefusal(answering) +
                          " (--force sends it to all of them)");
    else
        check = config::configureAndConfirm(ctx, frame, address, productCode);
    w.key("sent").value(!refusedSeveral);
    if (!refusedSeveral) {
        w.key("status").value(checkStatusName(check.status));
        w.key("heldAddress").value(check.heldAddress);
        w.key("heldProductCode").value(check.heldProductCode);
        w.key("written").value(check.written);
    }
    w.key("ok").value(!refusedSeveral && check.confirmed()).endObject();
    const std::string text = refusedSeveral ? std::string() : config::configurationText(check);
    if (json)
        std::printf("%s\n", w.text().c_str());
    else if (!text.empty())
        std::printf("%s\n", text.c_str());
    return !refusedSeveral && check.confirmed() ? kOk : kFailed;
}

}  // namespace

int runCli(int argc, char** argv) {
    SerialSettings settings;
    std::optional<std::vector<int>> simulate;
    double timeScale = 1.0;
    bool trace = false;
    bool json = false;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--", 0) != 0)
            break;
        if (a == "--trace") {
            trace = true;
            continue;
        }
        if (a == "--version") {
            printVersion("korvelantis-cli");
            return kOk;
        }
        if (a == "--json") {
            json = true;
            continue;
        }
        if (i + 1 >= argc)
            return usage();
        const std::string v = argv[++i];
        if (a == "--port") {
            settings.PortName = v;
        } else if (a == "--simulate") {
            simulate = parseAddressList(v);
            if (!simulate)
                return usage();
        } else if (a == "--baud") {
            const auto n = num::parseInteger(v, 1, 115200);
            if (!n || !isLineRate(*n))
                return refuse(a, v);
            settings.BaudRate = static_cast<int>(*n);
        } else if (a == "--parity") {
            if (v != "No parity" && v != "Odd parity" && v != "even parity")
                return refuse(a, v);
            settings.Parity = v;
        } else if (a == "--data-bits") {
            if (v != "8" && v != "7")
                return refuse(a, v);
            settings.DataBits = v == "8" ? 8 : 7;
        } else if (a == "--stop-bits") {
            if (v != "1" && v != "1.5" && v != "2")
                return refuse(a, v);
            settings.StopBits = v;
        } else if (a == "--timeout-ms") {
            const auto ms = num::parseInteger(v, SerialSettings::kMinResponseTimeoutMs,
                                              SerialSettings::kMaxResponseTimeoutMs);
            if (!ms)
                return refuse(a, v);
            settings.ResponseTimeoutMs = static_cast<int>(*ms);
        } else if (a == "--time-scale") {
            const auto scale = num::parseDouble(v);
            if (!scale || !(*scale > 0.0) || *scale > 1.0)
                return usage();
            timeScale = *scale;
        } else {
            return usage();
        }
    }
    if (i >= argc)
        return usage();
    const std::string command = argv[i++];
    std::vector<std::string> args;
    for (; i < argc; ++i) {
        // After the command too, for the commands that can speak JSON.
        if (std::string(argv[i]) == "--json" && command != "import" && command != "export")
            json = true;
        else
            args.emplace_back(argv[i]);
    }

    // The shape of the command first, so a usage error never touches the port.
    const bool acquisition = isAcquisitionCommand(command);
    const bool production = isProductionCommand(command);
    if (production && !productionArgumentsValid(command, args))
        return usage();
    if (!acquisition && !production) {
        const std::size_t n = args.size();
        const bool ok = (command == "scan" && parseScanOptions(args)) ||
                        (command == "read" && n == 1) || (command == "download" && n == 2) ||
                        (command == "configure" && (n == 2 || n == 3));
        if (!ok)
            return usage();
    }
    if ((acquisition && !acquisitionArgumentsValid(command, args)) ||
        !addressesValid(command, args))
        return usage();

    // A product code or address its register cannot hold is refused before the port is touched.
    std::optional<config::Frame> configuration;
    if (command == "configure") {
        configuration = config::configurationFrame(
            *num::parseInteger(args[1], LLONG_MIN, LLONG_MAX), *parseDeviceAddress(args[0]));
        if (refused(*configuration))
            return kFailed;
    }

    StopSignals signals;  // before any thread starts, so none of them takes a signal
    CliMessages messages;
    Timing timing;
    timing.scale = timeScale;
    TraceObserver tracer;  // outlives the bus it listens to
    AppContext ctx(messages, timing);
    if (trace)
        ctx.bus.addObserver(&tracer);
    std::unique_ptr<SimBus> sim;
    if (simulate) {
        SimBus::Options o;
        o.addresses = *simulate;
        o.baud = settings.BaudRate;
        o.latencyMs = 5.0 * timeScale;
        sim = std::make_unique<SimBus>(o);
        settings.PortName = sim->portPath();
    }

    const bool needsPort = !acquisition || acquisitionCommandNeedsPort(command);
    if (needsPort) {
        messages.hold(true);
        const int opened = ctx.bus.Open(settings);
        messages.hold(false);
        if (!opened) {
            messages.releaseHeld();
            return kNoPort;
        }
        messages.dropHeld();
    }
    // A signal lets the exchange in flight finish; the command then stops at its next step.
    signals.onStop([&ctx] { ctx.bus.refuseNewExchanges(true); });
    const int code = [&] {
        if (acquisition)
            return runAcquisitionCommand(command, args, &ctx, json);
        if (production)
            return runProductionCommand(command, args, ctx, json);
        if (command == "scan")
            return scan(ctx, *parseScanOptions(args), json);
        if (command == "read") {
            const auto address = parseDeviceAddress(args[0]);
            return address ? readDevice(ctx, *address, json) : usage();
        }
        if (command == "download")
            return download(ctx, args, json);
        return configure(ctx, configuration->bytes, *parseDeviceAddress(args[0]),
                         *num::parseInteger(args[1], LLONG_MIN, LLONG_MAX), args.size() == 3, json);
    }();
    return stopSignal() ? signals.exitCode() : code;
}
