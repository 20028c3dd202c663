#include "cli/AcquisitionCommands.h"
#include "cli/ExitCodes.h"
#include "cli/Signals.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "acquisition/GatherSession.h"
#include "acquisition/RecordExport.h"
#include "acquisition/RecordImport.h"
#include "acquisition/RecordTable.h"
#include "base/JsonWriter.h"
#include "base/NumberText.h"
#include "cli/CliTexts.h"
#include "cli/CurvePng.h"
#include "cli/DeviceBlock.h"
#include "cli/Run.h"
#include "config/ParameterModel.h"
#include "link/OperatorMessages.h"
#include "link/RegisterMap.h"

namespace {

using namespace cli_exit;
using cli::Arguments;
using cli::UsageError;

struct CollectOptions {
    int address = 0;
    long long intervalSeconds = 0;
    int count = 0;
    std::optional<std::string> dot;  // else the device's own
    std::optional<std::string> dir;
    int maxMisses = 3;
};

long long integerOption(const Arguments& a, const char* name, long long lo, long long hi) {
    const auto v = a.value(name);
    if (!v)
        throw UsageError(a.command + ": " + name + " is missing");
    const auto n = num::parseInteger(*v, lo, hi);
    if (!n)
        cli::refuseValue(name, *v);
    return *n;
}

CollectOptions parseCollect(const Arguments& a) {
    cli::needPositionals(a, 1, "ADDR");
    CollectOptions o;
    const auto address = num::parseInteger(a.positionals[0], 1, AppContext::kAddressCount);
    if (!address)
        throw UsageError(a.positionals[0] + " is not accepted");
    o.address = static_cast<int>(*address);
    o.intervalSeconds = integerOption(a, "--interval-s", 1, 24LL * 3600);
    o.count = static_cast<int>(integerOption(a, "--count", 1, 10000000));
    if ((o.dot = a.value("--dot")) && *o.dot != "0000" && *o.dot != "000.0" && *o.dot != "00.00" &&
        *o.dot != "0.000")
        cli::refuseValue("--dot", *o.dot);
    o.dir = a.value("--dir");
    if (a.has("--max-misses"))
        o.maxMisses = static_cast<int>(integerOption(a, "--max-misses", 1, 1000000));
    return o;
}

struct ExportOptions {
    std::string file;
    std::optional<std::string> csv;
    std::optional<std::string> png;
};

ExportOptions parseExport(const Arguments& a) {
    cli::needPositionals(a, 1, "FILE");
    ExportOptions o{a.positionals[0], a.value("--csv"), a.value("--png")};
    if (!o.csv && !o.png)
        throw UsageError("export: --csv or --png is missing");
    return o;
}

// An output that would destroy a record file: the input itself (under any name) or any .rec.
std::optional<std::string> outputRefusal(const std::string& input, const std::string& output) {
    std::error_code ec;
    if (std::filesystem::equivalent(input, output, ec) || output == input)
        return cli::spokenText(cli::texts::kOutputIsInput, {output});
    std::string ext = std::filesystem::path(output).extension().string();
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (ext == ".rec")
        return cli::spokenText(cli::texts::kOutputIsRecord, {output});
    return std::nullopt;
}

// Exit 0 only when every planned sample is on disk.
int collect(const CollectOptions& o, AppContext& ctx, bool json) {
    ctx.CurrentAddress = static_cast<std::uint16_t>(o.address);
    cli::know("address", num::formatInt(o.address));
    // The device's own point position and unit, as the window takes them after a search; a
    // record at another point position would be off by powers of ten.
    BasicSettings basic = ctx.basicSettings();
    std::string outputType = ctx.outputTypeText();
    if (const auto answer = cli::readBlock(ctx, static_cast<std::uint8_t>(o.address))) {
        config::BasicConfigModel m;
        m.ShowEnterpriseLayout();
        m.DecodeParameterBlock(*answer);
        basic = m.settings();
        const int type = reg::ParameterBlock::fromAnswer(*answer).get(reg::OutputType);
        outputType = reg::decodeCode(reg::kOutputTypes, type).value_or(outputType);
    } else if (!o.dot) {
        return kFailed;
    }
    if (o.dot)
        basic.PointPositionText = *o.dot;
    ctx.setBasicSettings(basic);
    ctx.setLiveSelections(outputType, basic.PointPositionText);
    if (o.dir)
        ctx.dataDir = *o.dir;
    GatherSession session(ctx);
    GatherSession::Plan plan;
    plan.mode = GatherSession::Mode::Immediate;
    plan.interval = std::chrono::seconds(o.intervalSeconds);
    plan.count = o.count;
    plan.maxMisses = o.maxMisses;
    // A record file or header that cannot be written ends it here, with the reason.
    if (!session.start(plan))
        return kFailed;
    cli::know("record", JsonWriter::quoted(session.recordPath().string()));
    // A signal ends it after the sample in flight; what is on disk is told below.
    while (!session.finished()) {
        if (stopSignal())
            session.cancel();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    session.wait();
    if (json)
        cli::printJson(JsonWriter()
                           .beginObject()
                           .key("command")
                           .value("collect")
                           .key("address")
                           .value(o.address)
                           .key("record")
                           .value(session.recordPath())
                           .key("planned")
                           .value(o.count)
                           .key("taken")
                           .value(session.taken())
                           .key("dot")
                           .value(basic.PointPositionText)
                           .key("unit")
                           .value(basic.SignalUnitText)
                           .key("ok")
                           .value(session.taken() == o.count)
                           .endObject());
    else
        std::fprintf(cli::out(), "%s\n", session.recordPath().c_str());
    if (session.taken() != o.count) {
        if (!session.writeFailed())  // that message already gave the count
            ctx.messages.show(samplesWrittenText(session.taken(), o.count));
        return kFailed;
    }
    return kOk;
}

int import(const std::string& file, bool json) {
    RecordTable table;
    ImportState state;
    const ImportOutcome outcome = importRecordFile(file, table, state, *cli::run().messages);
    if (outcome == ImportOutcome::CannotRead || outcome == ImportOutcome::NotCollected)
        return kFailed;
    std::string fields;
    JsonWriter w;
    w.beginObject().key("command").value("import").key("file").value(file);
    w.key("fields").beginArray();
    for (std::size_t k = 0; k < table.fieldCount(); ++k) {
        if (k)
            fields += ',';
        fields += table.fieldName(k);
        w.value(table.fieldName(k));
    }
    const bool ok = outcome == ImportOutcome::Loaded;
    w.endArray().key("records").value(static_cast<long long>(table.recordCount()));
    w.key("points").value(static_cast<long long>(state.DataRows)).key("ok").value(ok).endObject();
    if (json)
        cli::printJson(w);
    else
        std::fprintf(cli::out(), "fields: %s\nrecords: %zu\npoints: %zu\n", fields.c_str(),
                     table.recordCount(), state.DataRows);
    return ok ? kOk : kFailed;
}

int exportRecord(const ExportOptions& o, bool json) {
    OperatorMessages& messages = *cli::run().messages;
    for (const auto& out : {o.csv, o.png})
        if (out)
            if (const auto refusal = outputRefusal(o.file, *out)) {
                cli::tell(*refusal);
                return kFailed;
            }
    if (o.csv && o.png && *o.csv == *o.png)
        throw UsageError(*o.png + " is given for both --csv and --png");
    RecordTable table;
    ImportState state;
    if (importRecordFile(o.file, table, state, messages) != ImportOutcome::Loaded)
        return kFailed;
    if (o.csv) {
        const ExportResult r = exportRecordCsv(table, *o.csv);
        if (!r.ok) {
            messages.showWithDetail(kFileWriteFailedMessage, MessageIcon::None, r.why);
            return kFailed;
        }
    }
    if (o.png) {
        if (const auto why = cli::writeFileAtomically(*o.png, cli::curvePng(state))) {
            messages.showWithDetail(kFileWriteFailedMessage, MessageIcon::None, *why);
            return kFailed;
        }
    }
    JsonWriter w;
    w.beginObject().key("command").value("export").key("file").value(o.file);
    w.key("csv");
    o.csv ? w.value(*o.csv) : w.null();
    w.key("png");
    o.png ? w.value(*o.png) : w.null();
    w.key("records").value(static_cast<long long>(state.DataRows)).key("ok").value(true);
    if (json)
        cli::printJson(w.endObject());
    return kOk;
}

}  // namespace

namespace cli {

const std::vector<OptionSpec>& collectOptions() {
    static const std::vector<OptionSpec> o{
        {"--interval-s", 1}, {"--count", 1}, {"--dot", 1}, {"--dir", 1}, {"--max-misses", 1}};
    return o;
}

std::optional<int> checkCollect(const Arguments& args) {
    parseCollect(args);
    return std::nullopt;
}

int runCollect(CommandContext& c) {
    return collect(parseCollect(c.args), c.ctx, c.json);
}

const std::vector<OptionSpec>& importOptions() {
    static const std::vector<OptionSpec> none;
    return none;
}

std::optional<int> checkImport(const Arguments& args) {
    needPositionals(args, 1, "FILE");
    return std::nullopt;
}

int runImport(CommandContext& c) {
    return import(c.args.positionals[0], c.json);
}

const std::vector<OptionSpec>& exportOptions() {
    static const std::vector<OptionSpec> o{{"--csv", 1}, {"--png", 1}};
    return o;
}

std::optional<int> checkExport(const Arguments& args) {
    parseExport(args);
    return std::nullopt;
}

int runExport(CommandContext& c) {
    return exportRecord(parseExport(c.args), c.json);
}

}  // namespace cli
