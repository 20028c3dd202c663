#pragma once
// The production line's commands of the command line: "calibrate" (sensor calibration of every
// online device) and "output-calibrate" (the analogue outputs), each driven by a hook command or
// by the operator at the terminal.

#include <optional>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Options.h"
#include "state/AppContext.h"

namespace cli {

const std::vector<OptionSpec>& calibrateOptions();
// Also what the arguments alone show cannot be done (the calibration's refusal of its targets):
// told, and the exit code.
std::optional<int> checkCalibrate(const Arguments& args);
// The exit code: 0 only when every online device was written and verified.
int runCalibrate(CommandContext& c);

const std::vector<OptionSpec>& outputCalibrateOptions();
std::optional<int> checkOutputCalibrate(const Arguments& args);
int runOutputCalibrate(CommandContext& c);

}  // namespace cli

// `command` with every "{name}" replaced by `value`.
std::string substitute(std::string command, const std::string& name, const std::string& value);
