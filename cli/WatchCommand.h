#pragma once
// The command line's "watch": every watched device's value each interval, on standard output,
// into a CSV file and to an MQTT broker (live/).

#include <string_view>
#include <vector>

#include "cli/Options.h"
#include "state/AppContext.h"

const std::vector<cli::OptionSpec>& watchOptions();
// The arguments' shape, checked before any port is opened (a UsageError).
void checkWatchArguments(const cli::Arguments& args);
// Runs the command on the open bus; returns the exit code.
int runWatch(const cli::Arguments& args, AppContext& ctx, bool json);
