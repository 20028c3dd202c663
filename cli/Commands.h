#pragma once
// The commands of the command line, one entry each: the dispatch, the options parser, help and the
// usage text all read this one table, so a command cannot be known to one and missing in another.

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "cli/Options.h"
#include "state/AppContext.h"

namespace cli {

// What a command runs with: its words, the bus (open when the command needs a port) and whether
// it answers with one JSON document.
struct CommandContext {
    const Arguments& args;
    AppContext& ctx;
    bool json;
};

struct Command {
    std::string_view name;
    bool needsPort;
    const std::vector<OptionSpec>& (*options)();
    // The arguments' shape, before the port is touched: a UsageError, or the exit code of a run
    // the arguments alone show cannot be done.
    std::optional<int> (*check)(const Arguments& args);
    int (*run)(CommandContext& c);
    // The command's lines of the usage text.
    const char* usage;
    // Runs the operator's hook commands: its usage tells how they are run.
    bool runsHooks = false;
};

// In the order of the usage text.
std::span<const Command> commands();
// Null for a word that names no command ("help" is none: it reads this table).
const Command* findCommand(std::string_view name);

}  // namespace cli
