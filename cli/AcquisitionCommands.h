#pragma once
// The record-file commands of the command line ("collect", "import", "export").

#include <string>
#include <vector>

#include "common/AppContext.h"

// True when `command` is one of these commands (they may need no port).
bool isAcquisitionCommand(const std::string& command);
bool acquisitionCommandNeedsPort(const std::string& command);
// The arguments' shape, checked before any port is opened.
bool acquisitionArgumentsValid(const std::string& command, const std::vector<std::string>& args);
// Runs the command with its arguments; returns the exit code (2 for a usage error).
// `json`: collect prints one JSON document instead of the record file's path.
int runAcquisitionCommand(const std::string& command, const std::vector<std::string>& args,
                          AppContext* ctx, bool json = false);
// Usage lines of these commands and the exit codes, for the command line's usage text.
const char* acquisitionUsage();
