#pragma once
// The record-file commands of the command line ("collect", "import", "export"), each with the
// options, the check of its arguments' shape (a UsageError, before any port is opened) and the
// run its entry in the command table names.

#include <optional>
#include <vector>

#include "cli/Commands.h"
#include "cli/Options.h"

namespace cli {

const std::vector<OptionSpec>& collectOptions();
std::optional<int> checkCollect(const Arguments& args);
// Exit 0 only when every planned sample is on disk.
int runCollect(CommandContext& c);

const std::vector<OptionSpec>& importOptions();
std::optional<int> checkImport(const Arguments& args);
int runImport(CommandContext& c);

const std::vector<OptionSpec>& exportOptions();
std::optional<int> checkExport(const Arguments& args);
int runExport(CommandContext& c);

}  // namespace cli
