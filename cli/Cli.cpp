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

#include "base/JsonWriter.h"
#include "base/NumberText.h"
#include "base/Version.h"
#include "cli/AcquisitionCommands.h"
#include "cli/CliTexts.h"
#include "cli/DeviceBlock.h"
#include "cli/Options.h"
#include "cli/ProductionCommands.h"
#include "cli/Run.h"
#include "cli/Signals.h"
#include "cli/Usage.h"
#include "cli/WatchCommand.h"
#include "config/DeviceSearch.h"
#include "config/Download.h"
#include "config/ParameterFile.h"
#include "config/ParameterModel.h"
#include "config/ParameterTable.h"
#include "config/ReadBack.h"
#include "config/Readdress.h"
#include "link/LineFaults.h"
#include "link/RegisterMap.h"
#include "sim/SimBus.h"
#include "state/AppContext.h"

namespace {

using namespace cli_exit;
using cli::Arguments;
using cli::OptionSpec;
using cli::UsageError;

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

std::uint8_t deviceAddress(const std::string& word) {
    const auto a = parseDeviceAddress(word);
    if (!a)
        throw UsageError(word + " is not accepted");
    return *a;
}

// The shape of the configuration commands, before the port opens.
void checkConfigurationArguments(const Arguments& a) {
    if (a.command == "scan") {
        cli::needPositionals(a, 0, "");
    } else if (a.command == "read") {
        cli::needPositionals(a, 1, "ADDR");
        deviceAddress(a.positionals[0]);
    } else if (a.command == "download") {
        if (a.has("--all")) {
            cli::needPositionals(a, 1, "FILE");
        } else {
            cli::needPositionals(a, 2, "ADDR FILE");
            deviceAddress(a.positionals[0]);
        }
    } else if (a.command == "configure") {
        cli::needPositionals(a, 2, "ADDRESS PRODUCT_CODE");
        deviceAddress(a.positionals[0]);
        // The product code's range is the command's own refusal (exit 3), not a usage error.
        if (!num::parseInteger(a.positionals[1], LLONG_MIN, LLONG_MAX))
            throw UsageError(a.positionals[1] + " is not accepted");
    }
}

// The parameter file into a model whose edits all hold numbers.
std::optional<config::BasicConfigModel> loadParameterFile(const std::string& path) {
    const config::ParameterFileRead file = config::readParameterFile(path);
    if (file.status == config::ParameterFileRead::Status::Unreadable) {
        cli::tell(path + ": cannot be read (" + file.problem + ")");
        return std::nullopt;
    }
    if (!file.ok()) {
        cli::tell(path + ": " + file.problem);
        return std::nullopt;
    }
    config::BasicConfigModel m;
    m.ShowEnterpriseLayout();
    config::applyParameterFile(m, file.values);
    const config::ReadResult r = m.readEdits();
    if (!r.ok) {
        // A value that is not a number would go out as an old or default one: refuse instead.
        cli::tell(r.message);
        cli::tell(path + ": the value of this parameter is not a number");
        return std::nullopt;
    }
    // A choice that names no list entry would go out as whatever the list held before.
    if (const auto line = config::firstUnknownChoice(m, file.values)) {
        cli::tell(path + ": " + config::kParameterFileKeys[*line] + "=" + file.values[*line] +
                  " is not one of its choices");
        return std::nullopt;
    }
    return m;
}

// A frame the page would refuse is refused here too, with the page's text.
bool refused(const config::Frame& frame) {
    if (!frame.refusal)
        return false;
    cli::tell(frame.refusal->message);
    return true;
}

// The command line's frame trace: each frame as a line on standard error.
class TraceObserver : public BusObserver {
public:
    void framesSeen(const std::vector<BusFrame>& frames) override {
        for (const BusFrame& f : frames)
            std::fprintf(cli::run().io.err, "%s\n", formatFrameLine(f).c_str());
    }
};

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

// The devices that refused, in JSON and by name, and the line-fault summary.
void reportLineFaults(AppContext& ctx, const LineFaults& faults, JsonWriter& w) {
    w.key("refusing").beginArray();
    for (const Refusal& r : faults.refusals) {
        w.beginObject().key("address").value(r.address).key("exception").value(int{r.code});
        w.endObject();
        ctx.messages.show(refusalText(r.address, r.code));
    }
    w.endArray();
    if (!faults.empty())
        ctx.messages.show(faults.summary());
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
    w.endArray();
    reportLineFaults(ctx, out.faults, w);
    w.key("ok").value(out.complete);
    if (!out.complete)
        return kFailed;
    return kOk;
}

int scanAll(AppContext& ctx, JsonWriter& w) {
    config::SearchState st;
    const config::SearchOutcome out = config::ScanAllDevices(ctx, st);
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
    reportLineFaults(ctx, out.faults, w);
    w.key("ok").value(code == kOk);
    return code;
}

// The figures of every address polled, one object each; latencies null without answers.
void writeHealth(JsonWriter& w, const HealthTable& table) {
    w.key("stats").beginArray();
    auto count = [](std::uint64_t n) { return static_cast<long long>(n); };
    for (int a : HealthTable::addresses()) {
        const AddressHealth& h = table.at(a);
        if (h.empty())
            continue;
        w.beginObject().key("address").value(a).key("requests").value(count(h.requests));
        w.key("answers").value(count(h.answers)).key("timeouts").value(count(h.timeouts));
        w.key("crcErrors").value(count(h.crcErrors)).key("refused").value(count(h.refusals));
        w.key("foreign").value(count(h.foreign));
        for (auto [name, v] : {std::pair{"minMs", h.latencyMinMs},
                               {"meanMs", h.latencyMeanMs()},
                               {"maxMs", h.latencyMaxMs}}) {
            w.key(name);
            if (h.answers)
                w.value(v);
            else
                w.null();
        }
        w.endObject();
    }
    w.endArray();
}

int scan(AppContext& ctx, const Arguments& args, bool json) {
    const bool all = args.has("--all"), stats = args.has("--stats");
    JsonWriter w;
    w.beginObject().key("command").value("scan").key("all").value(all);
    const int code = all ? scanAll(ctx, w) : scanFirst(ctx, w);
    if (stats)
        writeHealth(w, ctx.bus.health());
    w.endObject();
    if (json) {
        cli::printJson(w);
        return code;
    }
    if (code == kOk && !all)
        std::fprintf(cli::out(), "%d\n", static_cast<int>(ctx.CurrentAddress.load()));
    if (all)
        for (int a : ctx.onlineAddresses()) std::fprintf(cli::out(), "%d\n", a);
    if (stats)
        std::fprintf(cli::out(), "%s", formatHealthTable(ctx.bus.health()).c_str());
    return code;
}

int readDevice(AppContext& ctx, std::uint8_t address, bool json) {
    const auto answer = cli::readBlock(ctx, address);
    if (!answer)
        return kFailed;
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
        cli::tell(std::string(config::kParameterFileKeys[u.line]) + ": device " +
                  num::formatInt(address) + " holds code " + num::formatInt(u.code) +
                  ", which no list can show");
        w.beginObject().key("key").value(config::kParameterFileKeys[u.line]);
        w.key("code").value(u.code).endObject();
    }
    w.endArray().key("parameters").beginObject();
    for (std::size_t i = 0; i < values.size(); ++i) {
        w.key(config::kParameterFileKeys[i]).value(values[i]);
        if (!json)
            std::fprintf(cli::out(), "%s=%s\n", config::kParameterFileKeys[i], values[i].c_str());
    }
    w.endObject().key("ok").value(unshown.empty()).endObject();
    if (json)
        cli::printJson(w);
    return unshown.empty() ? kOk : kUnshownCode;
}

// One line per device read back (or the JSON document), then the operator's message.
// How the operator reads a register's count: in the measuring unit for the ranges and switch
// points, in seconds for the delays; other registers (codes, density) as their count, unit null.
struct InUnit {
    double scale = 1.0;
    const char* unit = nullptr;  // "s"; null with `measuring` false: none
    bool measuring = false;      // the signal's unit
};

InUnit inUnit(std::uint16_t r, const BasicSettings& s) {
    const config::ParameterRow* row = config::parameterRow(r);
    switch (row ? row->scaling : config::Scaling::None) {
        case config::Scaling::Point:
            return {1.0 / reg::dotMultiplier(s.PointPositionText).value_or(1), nullptr, true};
        case config::Scaling::Tenths:
            return {0.1, "s", false};
        case config::Scaling::None:
            break;
    }
    return {};
}

// One line per device read back (or the JSON document), then the operator's message.
// `sent`: the settings the download sent, whose point position and unit its registers mean.
int reportDownload(AppContext& ctx, const config::DownloadReport& report, bool batch, bool json,
                   const BasicSettings& sent) {
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
                const long long sentCount = config::registerValue(x.reg, x.sent);
                const long long heldCount = config::registerValue(x.reg, x.held);
                const InUnit u = inUnit(x.reg, sent);
                w.beginObject().key("register").value(static_cast<int>(x.reg));
                w.key("text").value(config::differenceText(x));
                w.key("sent").value(double(sentCount) * u.scale);
                w.key("held").value(double(heldCount) * u.scale);
                w.key("unit");
                if (u.measuring)
                    w.value(sent.SignalUnitText);
                else if (u.unit)
                    w.value(u.unit);
                else
                    w.null();
                w.key("sentCount").value(sentCount).key("heldCount").value(heldCount).endObject();
            }
            w.endArray().endObject();
        }
        w.endArray().key("ok").value(report.verified()).endObject();
        cli::printJson(w);
    } else {
        for (const config::DeviceReadBack& d : report.devices)
            std::fprintf(cli::out(), "%s\n", config::deviceReadBackText(d).c_str());
        flushOutput();
    }
    flushOutput();
    config::tellDownload(ctx.messages, report, batch);
    return report.verified() ? kOk : kFailed;
}

int download(AppContext& ctx, const Arguments& args, bool json) {
    const bool all = args.has("--all");
    const auto m = loadParameterFile(args.positionals[all ? 0 : 1]);
    if (!m)
        return kFailed;
    if (all) {
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
        cli::know("devices", cli::jsonList(online));
        if (online.empty()) {
            ctx.messages.show(config::kNoOnlineDevice);
            return kFailed;
        }
        return reportDownload(ctx, config::downloadToAllVerified(ctx, frame.bytes, online), true,
                              json, m->settings());
    }
    const std::uint8_t address = deviceAddress(args.positionals[0]);
    cli::know("address", num::formatInt(address));
    // Registers 10..21 mean what the device's own point position and output type say.
    const auto answer = cli::readBlock(ctx, address);
    if (!answer)
        return kFailed;
    const auto block = reg::ParameterBlock::fromAnswer(answer->data());
    if (const auto mismatch = config::deviceMismatch(*m, block, address)) {
        cli::tell(*mismatch);
        return kFailed;
    }
    const config::Frame frame = config::singleDownloadFrame(address, *m);
    if (refused(frame))
        return kFailed;
    ctx.CurrentAddress = address;
    return reportDownload(ctx, config::downloadToDeviceVerified(ctx, frame.bytes), false, json,
                          m->settings());
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
        // Nothing is known of a device that did not answer.
        const bool answered = check.status == config::ConfigurationCheck::Status::Confirmed ||
                              check.status == config::ConfigurationCheck::Status::Differs;
        w.key("heldAddress");
        answered ? w.value(check.heldAddress) : w.null();
        w.key("heldProductCode");
        answered ? w.value(check.heldProductCode) : w.null();
        w.key("written").value(check.written);
    }
    const bool ok = !refusedSeveral && check.confirmed();
    w.key("ok").value(ok).endObject();
    const std::string text = refusedSeveral ? std::string() : config::configurationText(check);
    if (json)
        cli::printJson(w);
    else if (ok)
        std::fprintf(cli::out(), "%s\n", text.c_str());
    // A failure is a message, on standard error with the others.
    if (!ok && !text.empty())
        cli::tell(text);
    return ok ? kOk : kFailed;
}

const std::vector<OptionSpec>& globalOptions() {
    static const std::vector<OptionSpec> g{
        {"--port", 1},      {"--simulate", 1},  {"--baud", 1},       {"--parity", 1},
        {"--data-bits", 1}, {"--stop-bits", 1}, {"--timeout-ms", 1}, {"--time-scale", 1},
        {"--trace", 0},     {"--json", 0},      {"--quiet", 0},      {"--lang", 1},
        {"--help", 0},      {"-h", 0},          {"--version", 0},    {"--rs485", 0}};
    return g;
}

const std::vector<OptionSpec>* commandOptions(std::string_view command) {
    static const std::vector<OptionSpec> none, scan{{"--all", 0}, {"--stats", 0}},
        download{{"--all", 0}}, configure{{"--force", 0}};
    if (command == "scan")
        return &scan;
    if (command == "read" || command == "help")
        return &none;
    if (command == "download")
        return &download;
    if (command == "configure")
        return &configure;
    if (command == "watch")
        return &watchOptions();
    if (const auto* p = productionOptions(command))
        return p;
    return acquisitionOptions(command);
}

const std::vector<OptionSpec>& anyCommandOption() {
    static const std::vector<OptionSpec> all = [] {
        std::vector<OptionSpec> out;
        for (const char* c : {"scan", "download", "configure", "calibrate", "output-calibrate",
                              "collect", "import", "export", "watch"})
            for (const OptionSpec& o : *commandOptions(c)) out.push_back(o);
        return out;
    }();
    return all;
}

// The line settings, the bus and the run's manner, from the global options.
struct LineOptions {
    SerialSettings settings;
    std::optional<std::string> port;
    std::optional<std::vector<int>> simulate;
    double timeScale = 1.0;
    bool trace = false;
};

LineOptions lineOptions(const Arguments& a) {
    LineOptions o;
    for (const auto& [name, values] : a.options) {
        const std::string v = values.empty() ? std::string() : values[0];
        if (name == "--trace") {
            o.trace = true;
        } else if (name == "--rs485") {
            o.settings.Rs485 = true;
        } else if (name == "--port") {
            o.port = v;
        } else if (name == "--simulate") {
            o.simulate = parseAddressList(v);
            if (!o.simulate)
                cli::refuseValue(name, v);
        } else if (name == "--baud") {
            const auto n = num::parseInteger(v, 1, 115200);
            if (!n || !isLineRate(*n))
                cli::refuseValue(name, v);
            o.settings.BaudRate = static_cast<int>(*n);
        } else if (name == "--parity") {
            // The classic texts, or the words other tools take.
            static constexpr std::pair<const char*, Parity> kWords[] = {
                {"none", Parity::None}, {"odd", Parity::Odd}, {"even", Parity::Even}};
            std::optional<Parity> parity = parityOf(v);
            for (auto [word, p] : kWords)
                if (v == word)
                    parity = p;
            if (!parity)
                cli::refuseValue(name, v);
            o.settings.Parity = parityText(*parity);
        } else if (name == "--data-bits") {
            if (v != "8" && v != "7")
                cli::refuseValue(name, v);
            o.settings.DataBits = v == "8" ? 8 : 7;
        } else if (name == "--stop-bits") {
            if (v != "1" && v != "1.5" && v != "2")
                cli::refuseValue(name, v);
            o.settings.StopBits = v;
        } else if (name == "--timeout-ms") {
            const auto ms = num::parseInteger(v, SerialSettings::kMinResponseTimeoutMs,
                                              SerialSettings::kMaxResponseTimeoutMs);
            if (!ms)
                cli::refuseValue(name, v);
            o.settings.ResponseTimeoutMs = static_cast<int>(*ms);
        } else if (name == "--time-scale") {
            const auto scale = num::parseDouble(v);
            if (!scale || !(*scale > 0.0) || *scale > 1.0)
                cli::refuseValue(name, v);
            o.timeScale = *scale;
        }
    }
    // Shrunken store waits on real devices would let writes go unstored.
    if (a.has("--time-scale") && !o.simulate)
        throw UsageError("--time-scale is accepted only with --simulate");
    return o;
}

// "--lang zh" (or KORVELANTIS_LANG), looked for before the words are parsed, so that even a
// usage error speaks the language asked for; an unknown one is itself a usage error later.
std::optional<cli::Language> languageOf(const std::string& word) {
    if (word == "en")
        return cli::Language::English;
    if (word == "zh")
        return cli::Language::Chinese;
    return std::nullopt;
}

std::optional<std::string> languageWord(const std::vector<std::string>& words) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] == "--lang" && i + 1 < words.size())
            return words[i + 1];
        if (words[i].rfind("--lang=", 0) == 0)
            return words[i].substr(7);
    }
    if (const char* env = std::getenv("KORVELANTIS_LANG"); env && *env)
        return std::string(env);
    return std::nullopt;
}

bool helpAsked(const Arguments& a) {
    return a.has("--help") || a.has("-h") || a.command == "help";
}

int printHelp(const Arguments& a) {
    std::string command = a.command == "help" ? std::string() : a.command;
    if (a.command == "help" && !a.positionals.empty()) {
        command = a.positionals[0];
        if (a.positionals.size() > 1 || command == "help" || !commandOptions(command))
            throw UsageError((a.positionals.size() > 1 ? a.positionals[1] : command) +
                             " is not a command");
    }
    std::fprintf(cli::out(), "%s", cli::usageText(command).c_str());
    return kOk;
}

int runCommand(const std::vector<std::string>& words, const CliSetup& setup) {
    const Arguments args =
        cli::parseArguments(words, globalOptions(), commandOptions, anyCommandOption());
    cli::run().command = args.command;
    if (args.has("--lang") && !languageOf(*args.value("--lang")))
        cli::refuseValue("--lang", *args.value("--lang"));
    if (const char* env = std::getenv("KORVELANTIS_LANG");
        !args.has("--lang") && env && *env && !languageOf(env))
        throw UsageError(std::string("KORVELANTIS_LANG=") + env + " is not accepted");
    if (args.has("--version")) {
        std::fprintf(cli::out(), "korvelantis-cli %s\n", programVersion());
        return kOk;
    }
    if (helpAsked(args))
        return printHelp(args);
    if (args.command.empty())
        throw UsageError("no command given");
    LineOptions line = lineOptions(args);
    const std::string& command = args.command;

    // The shape of the command first, so a usage error never touches the port.
    const bool acquisition = isAcquisitionCommand(command);
    const bool production = isProductionCommand(command);
    if (production) {
        if (const auto refusal = checkProductionArguments(args)) {
            cli::tell(*refusal);
            return kFailed;
        }
    } else if (acquisition)
        checkAcquisitionArguments(args);
    else if (command == "watch")
        checkWatchArguments(args);
    else
        checkConfigurationArguments(args);

    // A product code or address its register cannot hold is refused before the port is touched.
    std::optional<config::Frame> configuration;
    if (command == "configure") {
        configuration = config::configurationFrame(
            *num::parseInteger(args.positionals[1], LLONG_MIN, LLONG_MAX),
            deviceAddress(args.positionals[0]));
        if (refused(*configuration))
            return kFailed;
    }

    const bool needsPort = !acquisition || acquisitionCommandNeedsPort(command);
    if (needsPort && !line.simulate && !line.port) {
        const char* env = std::getenv("KORVELANTIS_PORT");
        if (!env || !*env) {
            cli::tell(cli::texts::kNoPort);
            return kUsage;
        }
        line.port = env;
    }
    if (line.port)
        line.settings.PortName = *line.port;

    StopSignals signals;  // before any thread starts, so none of them takes a signal
    cli::Messages& messages = *cli::run().messages;
    Timing timing;
    timing.scale = setup.timeScale > 0.0 ? setup.timeScale : line.timeScale;
    TraceObserver tracer;  // outlives the bus it listens to
    AppContext ctx(messages, timing);
    if (line.trace)
        ctx.bus.addObserver(&tracer);
    std::unique_ptr<SimBus> sim;
    if (line.simulate) {
        SimBus::Options o;
        o.addresses = *line.simulate;
        o.baud = line.settings.BaudRate;
        o.latencyMs = 5.0 * timing.scale;
        o.clock = setup.lineClock;
        sim = std::make_unique<SimBus>(o);
        line.settings.PortName = sim->portPath();
    }
    if (const auto onClock = sim ? sim->line() : setup.line; onClock && setup.lineClock) {
        ctx.bus.attachLine(onClock, setup.lineClock);
    }

    if (needsPort) {
        messages.holdForPort(true);
        const int opened = ctx.bus.Open(line.settings);
        messages.holdForPort(false);
        if (!opened) {
            messages.releasePortMessages();
            return kNoPort;
        }
        messages.dropPortMessages();
    }
    const bool json = cli::run().json;
    // A signal lets the exchange in flight finish; the command then stops at its next step.
    signals.onStop([&ctx] { ctx.bus.refuseNewExchanges(true); });
    const int code = [&] {
        if (acquisition)
            return runAcquisitionCommand(args, &ctx, json);
        if (production)
            return runProductionCommand(args, ctx, json);
        if (command == "scan")
            return scan(ctx, args, json);
        if (command == "read")
            return readDevice(ctx, deviceAddress(args.positionals[0]), json);
        if (command == "download")
            return download(ctx, args, json);
        if (command == "watch")
            return runWatch(args, ctx, json);
        return configure(ctx, configuration->bytes, deviceAddress(args.positionals[0]),
                         *num::parseInteger(args.positionals[1], LLONG_MIN, LLONG_MAX),
                         args.has("--force"), json);
    }();
    return stopSignal() ? signals.exitCode() : code;
}

}  // namespace

int runCli(const std::vector<std::string>& words, const CliSetup& setup) {
    cli::Run& r = cli::run();
    r = cli::Run{};
    r.io = setup.streams;
    bool quiet = false;
    for (const std::string& w : words) {
        r.json = r.json || w == "--json";
        quiet = quiet || w == "--quiet";
    }
    if (const auto word = languageWord(words))
        r.language = languageOf(*word).value_or(cli::Language::English);
    cli::Messages messages(r.io.err, r.language, quiet);
    r.messages = &messages;
    int code = kUsage;
    try {
        code = runCommand(words, setup);
    } catch (const UsageError& e) {
        messages.sayNow(std::string("korvelantis-cli: ") + e.what());
        // The usage of the command the words name, if they name one.
        std::string command = r.command;
        for (std::size_t i = 0; i < words.size() && command.empty(); ++i)
            if (commandOptions(words[i]) && words[i] != "help")
                command = words[i];
        std::fprintf(r.io.err, "%s", cli::usageText(command).c_str());
        code = kUsage;
    }
    messages.finish(code != kOk);
    if (r.json && code != kOk)
        cli::printFailureDocument(code);
    flushOutput();
    r.messages = nullptr;
    return code;
}

int runCli(int argc, char** argv) {
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
    return runCli(words);
}
