#include "cli/AcquisitionCommands.h"
#include "cli/ExitCodes.h"
#include "cli/Signals.h"

#include <cstdio>
#include <optional>
#include <string>
#include <thread>

#include "acquisition/GatherSession.h"
#include "acquisition/RecordExport.h"
#include "acquisition/RecordImport.h"
#include "acquisition/RecordTable.h"
#include "common/JsonWriter.h"
#include "common/NumberText.h"
#include "link/OperatorMessages.h"

namespace {

using namespace cli_exit;

struct CollectOptions {
    int address = 0;
    long long intervalSeconds = 0;
    int count = 0;
    std::string dot = "00.00";
    std::optional<std::string> dir;
    int maxMisses = 3;
};

std::optional<CollectOptions> parseCollect(const std::vector<std::string>& args) {
    if (args.empty())
        return std::nullopt;
    CollectOptions o;
    const auto address = num::parseInteger(args[0], 1, AppContext::kAddressCount);
    if (!address)
        return std::nullopt;
    o.address = static_cast<int>(*address);
    bool haveInterval = false, haveCount = false;
    for (std::size_t i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return std::nullopt;
        const std::string& opt = args[i];
        const std::string& v = args[i + 1];
        if (opt == "--interval-s") {
            const auto s = num::parseInteger(v, 1, 24LL * 3600);
            if (!s)
                return std::nullopt;
            o.intervalSeconds = *s;
            haveInterval = true;
        } else if (opt == "--count") {
            const auto n = num::parseInteger(v, 1, 10000000);
            if (!n)
                return std::nullopt;
            o.count = static_cast<int>(*n);
            haveCount = true;
        } else if (opt == "--dot") {
            if (v != "0000" && v != "000.0" && v != "00.00" && v != "0.000")
                return std::nullopt;
            o.dot = v;
        } else if (opt == "--dir") {
            o.dir = v;
        } else if (opt == "--max-misses") {
            const auto n = num::parseInteger(v, 1, 1000000);
            if (!n)
                return std::nullopt;
            o.maxMisses = static_cast<int>(*n);
        } else {
            return std::nullopt;
        }
    }
    if (!haveInterval || !haveCount)
        return std::nullopt;
    return o;
}

struct ExportOptions {
    std::string file;
    std::string csv;
};

std::optional<ExportOptions> parseExport(const std::vector<std::string>& args) {
    if (args.size() != 3 || args[1] != "--csv")
        return std::nullopt;
    return ExportOptions{args[0], args[2]};
}

// Exit 0 only when every planned sample is on disk.
int collect(const CollectOptions& o, AppContext& ctx, bool json) {
    ctx.CurrentAddress = static_cast<std::uint16_t>(o.address);
    ctx.setLiveSelections(ctx.outputTypeText(), o.dot);
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
    // A signal ends it after the sample in flight; what is on disk is told below.
    while (!session.finished()) {
        if (stopSignal())
            session.cancel();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    session.wait();
    if (json)
        std::printf("%s\n", JsonWriter()
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
                                .key("ok")
                                .value(session.taken() == o.count)
                                .endObject()
                                .text()
                                .c_str());
    else
        std::printf("%s\n", session.recordPath().c_str());
    if (session.taken() != o.count) {
        if (!session.writeFailed())  // that message already gave the count
            ctx.messages.show(samplesWrittenText(session.taken(), o.count));
        return kFailed;
    }
    return kOk;
}

int import(const std::string& file) {
    StderrMessages messages;
    RecordTable table;
    ImportState state;
    const ImportOutcome outcome = importRecordFile(file, table, state, messages);
    if (outcome == ImportOutcome::CannotRead || outcome == ImportOutcome::NotCollected)
        return kFailed;
    std::string fields;
    for (std::size_t k = 0; k < table.fieldCount(); ++k) {
        if (k)
            fields += ',';
        fields += table.fieldName(k);
    }
    std::printf("fields: %s\nrecords: %zu\npoints: %zu\n", fields.c_str(), table.recordCount(),
                state.DataRows);
    return outcome == ImportOutcome::Loaded ? kOk : kFailed;
}

int exportCsv(const ExportOptions& o) {
    StderrMessages messages;
    RecordTable table;
    ImportState state;
    if (importRecordFile(o.file, table, state, messages) != ImportOutcome::Loaded)
        return kFailed;
    const ExportResult r = exportRecordCsv(table, o.csv);
    if (!r.ok) {
        messages.showWithDetail(kFileWriteFailedMessage, MessageIcon::None, r.why);
        return kFailed;
    }
    return kOk;
}

}  // namespace

bool isAcquisitionCommand(const std::string& command) {
    return command == "collect" || command == "import" || command == "export";
}

bool acquisitionCommandNeedsPort(const std::string& command) {
    return command == "collect";
}

bool acquisitionArgumentsValid(const std::string& command, const std::vector<std::string>& args) {
    if (command == "collect")
        return parseCollect(args).has_value();
    if (command == "import")
        return args.size() == 1;
    if (command == "export")
        return parseExport(args).has_value();
    return false;
}

int runAcquisitionCommand(const std::string& command, const std::vector<std::string>& args,
                          AppContext* ctx, bool json) {
    if (!acquisitionArgumentsValid(command, args))
        return kUsage;
    if (command == "collect")
        return ctx ? collect(*parseCollect(args), *ctx, json) : kUsage;
    if (command == "import")
        return import(args[0]);
    return exportCsv(*parseExport(args));
}

const char* acquisitionUsage() {
    return "  collect ADDR --interval-s S --count N [--dot 0000|000.0|00.00|0.000] [--dir DIR]\n"
           "          [--max-misses M]  N samples of ADDR, one every S seconds, into a new\n"
           "                            record file (its path on standard output); ends after\n"
           "                            M samples in a row without an answer (default 3)\n"
           "  import FILE               fields, records and points of a record file\n"
           "  export FILE --csv OUT     a record file as CSV (UTF-8, ISO 8601 times)\n"
           "exit status: 0 done; 2 usage error (nothing was done); 3 failed (collect: a sample\n"
           "  was not taken or not written); 4 the port did not open\n";
}
