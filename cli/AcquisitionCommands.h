#pragma once
// The record-file commands of the command line ("collect", "import", "export").

#include <string>
#include <string_view>
#include <vector>

#include "cli/Options.h"
#include "state/AppContext.h"

// The options of these commands; null for another command.
const std::vector<cli::OptionSpec>* acquisitionOptions(std::string_view command);
// The arguments' shape, checked before any port is opened (a UsageError).
void checkAcquisitionArguments(const cli::Arguments& args);
// Runs the command; returns the exit code. `json`: one JSON document instead of the text.
int runAcquisitionCommand(const cli::Arguments& args, AppContext* ctx, bool json = false);
