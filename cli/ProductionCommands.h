#pragma once
// The production line's commands of the command line: "calibrate" (sensor calibration of every
// online device) and "output-calibrate" (the analogue outputs), each driven by a hook command or
// by the operator at the terminal.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Options.h"
#include "state/AppContext.h"

// The options of these commands; null for another command.
const std::vector<cli::OptionSpec>* productionOptions(std::string_view command);
// The arguments' shape (a UsageError), checked before any port is opened; then what the
// arguments alone show cannot be done (the calibration's refusal of its targets).
std::optional<std::string> checkProductionArguments(const cli::Arguments& args);
// Runs the command; the exit code (0 only when every online device was written and verified).
int runProductionCommand(const cli::Arguments& args, AppContext& ctx, bool json);

// `command` with every "{name}" replaced by `value`.
std::string substitute(std::string command, const std::string& name, const std::string& value);
