#include "cli/Cli.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/AcquisitionCommands.h"
#include "common/AppContext.h"
#include "common/NumberText.h"
#include "common/Version.h"
#include "config/DeviceSearch.h"
#include "config/Download.h"
#include "config/ParameterFile.h"
#include "config/ParameterModel.h"
#include "link/RegisterMap.h"
#include "sim/SimBus.h"

namespace {

constexpr int kOk = 0;
constexpr int kUsage = 2;
constexpr int kFailed = 3;
constexpr int kNoPort = 4;
// read: a code no list can show, its line marked "(code N)".
constexpr int kUnshownCode = 5;

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
                 "         [--time-scale X] [--trace] COMMAND\n"
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
                 "  download ADDR FILE        switch and output parameters of FILE to ADDR\n"
                 "  download --all FILE       all parameters of FILE to every device (address "
                 "127)\n"
                 "  configure ADDRESS PRODUCT_CODE\n"
                 "                            new address and product code (address 127)\n"
                 "%s",
                 acquisitionUsage());
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
        return parseDeviceAddress(args[0]) && num::parseInteger(args[1], LLONG_MIN, LLONG_MAX);
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

int scanFirst(AppContext& ctx) {
    config::SearchState st;
    const config::SearchOutcome out = config::ScanFirstDevice(ctx, st);
    if (!out.message.empty())
        ctx.messages.show(out.message);
    if (!out.complete)
        return kFailed;
    std::printf("%d\n", static_cast<int>(ctx.CurrentAddress.load()));
    return kOk;
}

int scanAll(AppContext& ctx) {
    config::SearchState st;
    config::ScanAllDevices(ctx, st);
    for (int a : ctx.onlineAddresses()) std::printf("%d\n", a);
    if (st.SearchFailed.load()) {
        ctx.messages.show(config::kSearchFailed);
        return kFailed;
    }
    if (ctx.onlineAddresses().empty()) {
        ctx.messages.show(config::kNoOnlineDevice);
        return kFailed;
    }
    return kOk;
}

int scan(AppContext& ctx, const ScanOptions& options) {
    const int code = options.all ? scanAll(ctx) : scanFirst(ctx);
    if (options.stats)
        std::printf("%s", formatHealthTable(ctx.bus.health()).c_str());
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

int readDevice(AppContext& ctx, std::uint8_t address) {
    const auto answer = readBlock(ctx, address);
    if (!answer)
        return kFailed;
    config::BasicConfigModel m;
    m.ShowEnterpriseLayout();
    m.DecodeParameterBlock(answer->data());
    m.moveValuesToEdits();
    auto values = config::parameterFileValues(m);
    // The lists would show their own defaults for these: mark them so no download takes them.
    const auto unshown = config::codesNoListShows(reg::ParameterBlock::fromAnswer(answer->data()));
    for (const config::UnshownCode& u : unshown) {
        values[u.line] = config::unshownCodeMark(u.code);
        std::fprintf(stderr, "%s: device %d holds code %d, which no list can show\n",
                     config::kParameterFileKeys[u.line], static_cast<int>(address), u.code);
    }
    for (std::size_t i = 0; i < values.size(); ++i)
        std::printf("%s=%s\n", config::kParameterFileKeys[i], values[i].c_str());
    return unshown.empty() ? kOk : kUnshownCode;
}

int report(AppContext& ctx, config::DownloadResult r) {
    const std::string text = config::downloadMessage(r);
    if (!text.empty())
        ctx.messages.show(text);
    return r == config::DownloadResult::Success ? kOk : kFailed;
}

}  // namespace

int runCli(int argc, char** argv) {
    SerialSettings settings;
    std::optional<std::vector<int>> simulate;
    double timeScale = 1.0;
    bool trace = false;
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
    const std::vector<std::string> args(argv + i, argv + argc);

    // The shape of the command first, so a usage error never touches the port.
    const bool acquisition = isAcquisitionCommand(command);
    if (!acquisition) {
        const std::size_t n = args.size();
        const bool ok = (command == "scan" && parseScanOptions(args)) ||
                        (command == "read" && n == 1) || (command == "download" && n == 2) ||
                        (command == "configure" && n == 2);
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
    if (acquisition)
        return runAcquisitionCommand(command, args, &ctx);

    if (command == "scan")
        return scan(ctx, *parseScanOptions(args));
    if (command == "read") {
        const auto address = parseDeviceAddress(args[0]);
        return address ? readDevice(ctx, *address) : usage();
    }
    if (command == "download") {
        if (args[0] == "--all") {
            const auto m = loadParameterFile(args[1]);
            if (!m)
                return kFailed;
            const config::Frame frame = config::batchDownloadFrame(*m);
            if (refused(frame))
                return kFailed;
            return report(ctx, config::downloadToAll(ctx, frame.bytes));
        }
        const auto address = parseDeviceAddress(args[0]);
        if (!address)
            return usage();
        const auto m = loadParameterFile(args[1]);
        if (!m)
            return kFailed;
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
        return report(ctx, config::downloadToDevice(ctx, frame.bytes));
    }
    return config::sendConfiguration(ctx, configuration->bytes) ? kOk : kFailed;
}
