#pragma once
// Runs the built command line with shrunken bus timing and a fast simulated line.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "tests/support/TestBus.h"

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

inline CliRun cli(const std::string& args, const TempDir& dir) {
    const std::string errFile = dir.file("stderr.txt");
    const std::string cmd =
        std::string(KORV_CLI_PATH) + " --time-scale 0.03 --baud 115200 " + args + " 2>" + errFile;
    CliRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return r;
    std::array<char, 512> buf{};
    while (std::fgets(buf.data(), buf.size(), p)) r.out += buf.data();
    const int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto e = readFileBytes(errFile);
    r.err.assign(e.begin(), e.end());
    return r;
}
