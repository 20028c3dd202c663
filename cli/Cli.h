#pragma once
// The command line: options before or after the command, then the command and its arguments.
// Exit codes: cli/ExitCodes.h (0 success, 2 usage error, 3 failed, 4 no port, 5 unshown code).

#include <memory>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "cli/Run.h"
#include "link/InProcessLine.h"

struct CliSetup {
    cli::Streams streams;
    // Above 0: every wait of the bus shrunk by this factor, whatever the port (tests only; the
    // command line allows --time-scale with a simulated bus alone).
    double timeScale = 0.0;
    // Set: a --simulate bus is in-process on this clock, and every wait of the bus passes on it;
    // so does a --port naming `line` (tests only).
    std::shared_ptr<Clock> lineClock;
    std::shared_ptr<InProcessLine> line;
};

// `words` without the program's name. One run at a time.
int runCli(const std::vector<std::string>& words, const CliSetup& setup = {});
int runCli(int argc, char** argv);
