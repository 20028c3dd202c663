#include "cli/AcquisitionCommands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "acquisition/GatherSession.h"
#include "acquisition/RecordImport.h"
#include "acquisition/RecordTable.h"
#include "link/OperatorMessages.h"

namespace {

bool parsePositive(const std::string& text, long long max, long long& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v <= 0 || v > max)
        return false;
    out = v;
    return true;
}

int collect(const std::vector<std::string>& args, AppContext& ctx) {
    if (args.empty())
        return 2;
    long long address = 0, interval = 0, count = 0;
    if (!parsePositive(args[0], 60, address))
        return 2;
    std::string dot = "00.00";
    bool haveInterval = false, haveCount = false;
    for (std::size_t i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return 2;
        const std::string& opt = args[i];
        const std::string& v = args[i + 1];
        if (opt == "--interval-s") {
            if (!parsePositive(v, 24LL * 3600, interval))
                return 2;
            haveInterval = true;
        } else if (opt == "--count") {
            if (!parsePositive(v, 10000000, count))
                return 2;
            haveCount = true;
        } else if (opt == "--dot") {
            if (v != "0000" && v != "000.0" && v != "00.00" && v != "0.000")
                return 2;
            dot = v;
        } else if (opt == "--dir") {
            ctx.dataDir = v;
        } else {
            return 2;
        }
    }
    if (!haveInterval || !haveCount)
        return 2;
    ctx.CurrentAddress = static_cast<std::uint16_t>(address);
    ctx.setLiveSelections(ctx.outputTypeText(), dot);
    GatherSession session(ctx);
    GatherSession::Plan plan;
    plan.mode = GatherSession::Mode::Immediate;
    plan.interval = std::chrono::seconds(interval);
    plan.count = static_cast<int>(count);
    if (!session.start(plan))
        return 3;
    session.wait();
    std::printf("%s\n", session.recordPath().c_str());
    return session.taken() == plan.count ? 0 : 3;
}

int import(const std::vector<std::string>& args) {
    if (args.size() != 1)
        return 2;
    StderrMessages messages;
    RecordTable table;
    ImportState state;
    const ImportOutcome outcome = importRecordFile(args[0], table, state, messages);
    if (outcome == ImportOutcome::CannotRead || outcome == ImportOutcome::NotCollected)
        return 3;
    std::string fields;
    for (std::size_t k = 0; k < table.fieldCount(); ++k) {
        if (k)
            fields += ',';
        fields += table.fieldName(k);
    }
    std::printf("fields: %s\nrecords: %zu\npoints: %zu\n", fields.c_str(), table.recordCount(),
                state.TimeLabels.size());
    return outcome == ImportOutcome::Loaded ? 0 : 3;
}

}  // namespace

bool isAcquisitionCommand(const std::string& command) {
    return command == "collect" || command == "import";
}

bool acquisitionCommandNeedsPort(const std::string& command) {
    return command == "collect";
}

int runAcquisitionCommand(const std::string& command, const std::vector<std::string>& args,
                          AppContext* ctx) {
    if (command == "collect")
        return ctx ? collect(args, *ctx) : 2;
    if (command == "import")
        return import(args);
    return 2;
}

const char* acquisitionUsage() {
    return "  collect ADDR --interval-s S --count N [--dot 0000|000.0|00.00|0.000] [--dir DIR]\n"
           "  import FILE\n";
}
