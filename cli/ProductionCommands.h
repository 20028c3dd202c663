#pragma once
// The production line's commands of the command line: "calibrate" (sensor calibration of every
// online device) and "output-calibrate" (the analogue outputs), each driven by a hook command or
// by the operator at the terminal.

#include <string>
#include <vector>

#include "common/AppContext.h"

bool isProductionCommand(const std::string& command);
// The arguments' shape, checked before any port is opened.
bool productionArgumentsValid(const std::string& command, const std::vector<std::string>& args);
// Runs the command; the exit code (0 only when every online device was written and verified).
int runProductionCommand(const std::string& command, const std::vector<std::string>& args,
                         AppContext& ctx, bool json);
const char* productionUsage();

// `command` with every "{name}" replaced by `value`.
std::string substitute(std::string command, const std::string& name, const std::string& value);
