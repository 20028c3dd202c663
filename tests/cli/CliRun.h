#pragma once
// Runs the command line in-process with shrunken bus timing and a fast simulated line; its
// streams are captured. `args` is split as a shell would split plain words and '...' or "...".

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "tests/support/TestBus.h"

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

inline std::vector<std::string> shellWords(const std::string& s) {
    std::vector<std::string> words;
    std::string w;
    bool in = false;
    char quote = 0;
    for (char c : s) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                w += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            in = true;
        } else if (c == ' ') {
            if (in)
                words.push_back(w);
            w.clear();
            in = false;
        } else {
            w += c;
            in = true;
        }
    }
    if (in)
        words.push_back(w);
    return words;
}

// `input`: what standard input holds (it ends after it). `onClock`: a --simulate bus is
// in-process on a fake clock of its own, so its waits take no real time.
inline CliRun cliWords(std::vector<std::string> words, const std::string& input = {},
                       double timeScale = 0.03, bool onClock = true,
                       const TestBus* line = nullptr) {
    bool baud = false;
    for (const std::string& w : words) baud = baud || w.rfind("--baud", 0) == 0;
    if (!baud)
        words.insert(words.begin(), {"--baud", "115200"});
    char* outBuf = nullptr;
    char* errBuf = nullptr;
    std::size_t outLen = 0, errLen = 0;
    CliSetup setup;
    setup.streams.out = open_memstream(&outBuf, &outLen);
    setup.streams.err = open_memstream(&errBuf, &errLen);
    setup.streams.in = input.empty() ? std::fopen("/dev/null", "r")
                                     : fmemopen(const_cast<char*>(input.data()), input.size(), "r");
    setup.timeScale = timeScale;
    if (onClock)
        setup.lineClock = TestBus::lineClockOfItsOwn();
    if (line && line->lineClock) {
        setup.line = line->sim.line();
        setup.lineClock = line->lineClock;
    }
    CliRun r;
    r.code = runCli(words, setup);
    std::fclose(setup.streams.out);
    std::fclose(setup.streams.err);
    std::fclose(setup.streams.in);
    r.out.assign(outBuf, outLen);
    r.err.assign(errBuf, errLen);
    std::free(outBuf);
    std::free(errBuf);
    return r;
}

inline CliRun cliLine(const std::string& args, const TempDir&) {
    return cliWords(shellWords(args));
}

// Against `bus`'s simulated line (--port bus.sim.portPath()), on its clock when in-process.
inline CliRun cliLine(const std::string& args, const TempDir&, const TestBus& bus) {
    return cliWords(shellWords(args), {}, 0.03, true, &bus);
}
