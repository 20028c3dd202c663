#include "cli/Cli.h"
#include "cli/ExitCodes.h"
#include "cli/OutputCheck.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/JsonWriter.h"
#include "base/NumberText.h"
#include "base/Version.h"
#include "cli/AcquisitionCommands.h"
#include "cli/CliTexts.h"
#include "cli/Commands.h"
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
#include "state/ReportStatus.h"

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

// A frame the page would refuse is refused here too, with the page's text.
bool refused(const config::Frame& frame) {
    if (!frame.refusal)
        return false;
    cli::tell(frame.refusal->message);
    return true;
}

// The shape of the configuration commands, before the port opens.
std::optional<int> checkScan(const Arguments& a) {
    cli::needPositionals(a, 0, "");
    return std::nullopt;
}

std::optional<int> checkRead(const Arguments& a) {
    cli::needPositionals(a, 1, "ADDR");
    deviceAddress(a.positionals[0]);
    return std::nullopt;
}

std::optional<int> checkDownload(const Arguments& a) {
    if (a.has("--all")) {
        cli::needPositionals(a, 1, "FILE");
    } else {
        cli::needPositionals(a, 2, "ADDR FILE");
        deviceAddress(a.positionals[0]);
    }
    return std::nullopt;
}

long long productCodeOf(const Arguments& a) {
    return *num::parseInteger(a.positionals[1], LLONG_MIN, LLONG_MAX);
}

std::optional<int> checkConfigure(const Arguments& a) {
    cli::needPositionals(a, 2, "ADDRESS PRODUCT_CODE");
    deviceAddress(a.positionals[0]);
    // The product code's range is the command's own refusal (exit 3), not a usage error.
    if (!num::parseInteger(a.positionals[1], LLONG_MIN, LLONG_MAX))
        throw UsageError(a.positionals[1] + " is not accepted");
    // A product code or address its register cannot hold is refused before the port is touched.
    if (refused(config::configurationFrame(productCodeOf(a), deviceAddress(a.positionals[0]))))
        return kFailed;
    return std::nullopt;
}

// The parameter file into a model whose edits all hold numbers.
std::optional<config::BasicConfigModel> loadParameterFile(const std::string& path) {
    const config::ParameterFileRead file = config::readParameterFile(path);
    if (file.status == config::ParameterFileRead::Status::Unreadable) {
        cli::tell(Message::joined(
            {Message::verbatim(path + ": cannot be read ("), file.problem, Message::verbatim(")")},
            ""));
        return std::nullopt;
    }
    if (!file.ok()) {
        cli::tell(Message::joined({Message::verbatim(path), file.problem}, ": "));
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
    m.DecodeParameterBlock(*answer);
    m.moveValuesToEdits();
    auto values = config::parameterFileValues(m);
    // The lists would show their own defaults for these: mark them so no download takes them.
    const auto unshown = config::codesNoListShows(reg::ParameterBlock::fromAnswer(*answer));
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
                w.key("text").value(config::differenceText(x).text());
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
            std::fprintf(cli::out(), "%s\n", config::deviceReadBackText(d).text().c_str());
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
    const auto block = reg::ParameterBlock::fromAnswer(*answer);
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
        ctx.messages.show(Message::joined({config::severalAnswerRefusal(answering),
                                           Message::verbatim("(--force sends it to all of them)")},
                                          " "));
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
    const Message text = refusedSeveral ? Message() : config::configurationText(check);
    if (json)
        cli::printJson(w);
    else if (ok)
        std::fprintf(cli::out(), "%s\n", text.text().c_str());
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

// The commands' own options.
const std::vector<OptionSpec>& noOptions() {
    static const std::vector<OptionSpec> none;
    return none;
}

const std::vector<OptionSpec>& scanOptions() {
    static const std::vector<OptionSpec> o{{"--all", 0}, {"--stats", 0}};
    return o;
}

const std::vector<OptionSpec>& downloadOptions() {
    static const std::vector<OptionSpec> o{{"--all", 0}};
    return o;
}

const std::vector<OptionSpec>& configureOptions() {
    static const std::vector<OptionSpec> o{{"--force", 0}};
    return o;
}

std::optional<int> checkWatch(const Arguments& a) {
    checkWatchArguments(a);
    return std::nullopt;
}

int runScan(cli::CommandContext& c) {
    return scan(c.ctx, c.args, c.json);
}

int runRead(cli::CommandContext& c) {
    return readDevice(c.ctx, deviceAddress(c.args.positionals[0]), c.json);
}

int runDownload(cli::CommandContext& c) {
    return download(c.ctx, c.args, c.json);
}

int runConfigure(cli::CommandContext& c) {
    const std::uint8_t address = deviceAddress(c.args.positionals[0]);
    const long long productCode = productCodeOf(c.args);
    return configure(c.ctx, config::configurationFrame(productCode, address).bytes, address,
                     productCode, c.args.has("--force"), c.json);
}

int runWatchCommand(cli::CommandContext& c) {
    return runWatch(c.args, c.ctx, c.json);
}

const cli::Command kCommands[] = {
    {"scan", true, scanOptions, checkScan, runScan,
     "  scan                      the first device that answers\n"
     "  scan --all                every online address 1..60; then the devices that\n"
     "                            refused and the answers that failed their CRC\n"
     "                            or came cut\n"
     "  scan [--all] --stats      ... and then the figures of every address polled\n"},
    {"read", true, noOptions, checkRead, runRead,
     "  read ADDR                 the parameters of ADDR as a parameter file; exit 5\n"
     "                            when a line reads \"(code N)\": a code no list can\n"
     "                            show, which download refuses\n"},
    {"download", true, downloadOptions, checkDownload, runDownload,
     "  download ADDR FILE        switch and output parameters of FILE to ADDR, read\n"
     "                            back: \"ADDR: verified\" or what it holds instead\n"
     "  download --all FILE       every online device (a full scan first) gets all\n"
     "                            parameters of FILE at once (address 127), then each\n"
     "                            is read back, one line each; exit 0 only when every\n"
     "                            one verifies\n"},
    {"configure", true, configureOptions, checkConfigure, runConfigure,
     "  configure ADDRESS PRODUCT_CODE [--force]\n"
     "                            new address and product code (address 127), then\n"
     "                            read at the new address; refused when more than one\n"
     "                            device answers, unless --force\n"},
    {"calibrate", true, cli::calibrateOptions, cli::checkCalibrate, cli::runCalibrate,
     "  calibrate --points 2|3|5 [--range START END] [--dot 0000|000.0|00.00|0.000]\n"
     "            [--signal Pressure|Temperature|level] [--density D]\n"
     "            [--apply 'CMD {target}'] [--hook-timeout-s S] [--report FILE]\n"
     "                            sensor calibration of every online device: the settings\n"
     "                            of the highest online device unless given; at each point\n"
     "                            CMD runs with {target} replaced, and $KORVELANTIS_TARGET\n"
     "                            and $KORVELANTIS_UNIT set (without --apply the terminal\n"
     "                            asks); K and B written, verified at the last point; one\n"
     "                            row per device; --report keeps the CSV report\n",
     true},
    {"output-calibrate", true, cli::outputCalibrateOptions, cli::checkOutputCalibrate,
     cli::runOutputCalibrate,
     "  output-calibrate current|voltage [--measure 'CMD {point}'] [--hook-timeout-s S]\n"
     "                            low and high output commands to every online device (each\n"
     "                            must have that output); the measured value is CMD's first\n"
     "                            line ({point} and $KORVELANTIS_POINT: low, high;\n"
     "                            $KORVELANTIS_UNIT: mA or V) or typed at the terminal;\n"
     "                            slope and offset written and read back\n",
     true},
    {"collect", true, cli::collectOptions, cli::checkCollect, cli::runCollect,
     "  collect ADDR --interval-s S --count N [--dot 0000|000.0|00.00|0.000] [--dir DIR]\n"
     "          [--max-misses M]  N samples of ADDR, one every S seconds, into a new\n"
     "                            record file (its path on standard output), at the\n"
     "                            device's own point position unless --dot; ends after\n"
     "                            M samples in a row without an answer (default 3)\n"},
    {"watch", true, watchOptions, checkWatch, runWatchCommand,
     "  watch --all|ADDR[,ADDR...] --interval-s S [--count N] [--max-misses M]\n"
     "        [--csv FILE] [--mqtt HOST[:PORT] [--topic PREFIX] [--qos 0|1]]\n"
     "                            register 23 of every device (--all: every online one,\n"
     "                            a full scan first) each S seconds, at its own point\n"
     "                            position and unit, one line a round, N rounds (else\n"
     "                            until a signal); offline after M rounds without an\n"
     "                            answer (default 3); --csv appends time,address,value,\n"
     "                            unit rows; --mqtt publishes PREFIX/ADDR/value,\n"
     "                            PREFIX/ADDR/online, PREFIX/status (default prefix\n"
     "                            korvelantis, port 1883, QoS 0)\n"},
    {"import", false, cli::importOptions, cli::checkImport, cli::runImport,
     "  import FILE               fields, records and points of a record file\n"},
    {"export", false, cli::exportOptions, cli::checkExport, cli::runExport,
     "  export FILE [--csv OUT] [--png OUT]\n"
     "                            a record file as CSV (UTF-8, ISO 8601 times) and/or its\n"
     "                            curve as a PNG image; never over a record file\n"},
};

// A command's options; null for a word that is no command. "help" takes none.
const std::vector<OptionSpec>* commandOptions(std::string_view command) {
    if (command == "help")
        return &noOptions();
    const cli::Command* c = cli::findCommand(command);
    return c ? &c->options() : nullptr;
}

const std::vector<OptionSpec>& anyCommandOption() {
    static const std::vector<OptionSpec> all = [] {
        std::vector<OptionSpec> out;
        for (const cli::Command& c : kCommands)
            for (const OptionSpec& o : c.options()) out.push_back(o);
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
        if (a.positionals.size() > 1 || !cli::findCommand(command))
            throw UsageError((a.positionals.size() > 1 ? a.positionals[1] : command) +
                             " is not a command");
    }
    std::fprintf(cli::out(), "%s", cli::usageText(command).c_str());
    return kOk;
}

// The words as options and a command, in the language asked for.
Arguments parseWords(const std::vector<std::string>& words) {
    const Arguments args =
        cli::parseArguments(words, globalOptions(), commandOptions, anyCommandOption());
    cli::run().command = args.command;
    if (args.has("--lang") && !languageOf(*args.value("--lang")))
        cli::refuseValue("--lang", *args.value("--lang"));
    if (const char* env = std::getenv("KORVELANTIS_LANG");
        !args.has("--lang") && env && *env && !languageOf(env))
        throw UsageError(std::string("KORVELANTIS_LANG=") + env + " is not accepted");
    return args;
}

// The port of a command that needs one: --port, else $KORVELANTIS_PORT; false when neither
// names one (and no bus is simulated).
bool choosePort(LineOptions& line, bool needsPort) {
    if (needsPort && !line.simulate && !line.port) {
        const char* env = std::getenv("KORVELANTIS_PORT");
        if (!env || !*env) {
            cli::tell(cli::texts::kNoPort);
            return false;
        }
        line.port = env;
    }
    if (line.port)
        line.settings.PortName = *line.port;
    return true;
}

// The bus a command runs on, with the simulated devices behind it and its frame trace.
struct CommandLine {
    TraceObserver tracer;  // outlives the bus it listens to
    AppContext ctx;
    std::unique_ptr<SimBus> sim;

    CommandLine(OperatorMessages& messages, const Timing& timing) : ctx(messages, timing) {}
};

void setUpLine(CommandLine& l, LineOptions& line, const Timing& timing, const CliSetup& setup) {
    if (line.trace)
        l.ctx.bus.addObserver(&l.tracer);
    if (line.simulate) {
        SimBus::Options o;
        o.addresses = *line.simulate;
        o.baud = line.settings.BaudRate;
        o.latencyMs = 5.0 * timing.scale;
        o.clock = setup.lineClock;
        l.sim = std::make_unique<SimBus>(o);
        line.settings.PortName = l.sim->portPath();
    }
    if (const auto onClock = l.sim ? l.sim->line() : setup.line; onClock && setup.lineClock) {
        l.ctx.bus.attachLine(onClock, setup.lineClock);
    }
}

// Opens the port; what it says is spoken only when it did not open.
bool openPort(AppContext& ctx, cli::Messages& messages, const SerialSettings& settings) {
    const Status opened = ctx.bus.Open(settings);
    if (!opened.ok())
        reportStatus(messages, opened);
    return opened.ok();
}

int runCommand(const std::vector<std::string>& words, const CliSetup& setup) {
    const Arguments args = parseWords(words);
    if (args.has("--version")) {
        std::fprintf(cli::out(), "korvelantis-cli %s\n", programVersion());
        return kOk;
    }
    if (helpAsked(args))
        return printHelp(args);
    if (args.command.empty())
        throw UsageError("no command given");
    LineOptions line = lineOptions(args);
    const cli::Command& command = *cli::findCommand(args.command);

    // The shape of the command first, so a usage error never touches the port.
    if (const auto refusal = command.check(args))
        return *refusal;
    if (!choosePort(line, command.needsPort))
        return kUsage;

    StopSignals signals;  // before any thread starts, so none of them takes a signal
    cli::Messages& messages = *cli::run().messages;
    Timing timing;
    timing.scale = setup.timeScale > 0.0 ? setup.timeScale : line.timeScale;
    CommandLine bus(messages, timing);
    setUpLine(bus, line, timing, setup);
    if (command.needsPort && !openPort(bus.ctx, messages, line.settings))
        return kNoPort;
    // A signal lets the exchange in flight finish; the command then stops at its next step.
    signals.onStop([&bus] { bus.ctx.bus.refuseNewExchanges(true); });
    cli::CommandContext context{args, bus.ctx, cli::run().json};
    const int code = command.run(context);
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
            if (cli::findCommand(words[i]))
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

namespace cli {

std::span<const Command> commands() {
    return kCommands;
}

const Command* findCommand(std::string_view name) {
    for (const Command& c : kCommands)
        if (c.name == name)
            return &c;
    return nullptr;
}

}  // namespace cli
