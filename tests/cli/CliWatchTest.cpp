// korvelantis-cli watch: the rounds on standard output, the summary, the CSV file, and a
// watch killed or stopped midway.
#include <gtest/gtest.h>

#include <signal.h>

#include <cerrno>
#include <cstring>
#include <sstream>

#include "tests/cli/CliRun.h"
#include "tests/support/ChildProcess.h"

namespace {

std::size_t countOf(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(CommandLineWatch, OneLineARoundAndTheCsvAppendedWithItsHeaderOnce) {
    TempDir dir;
    const std::string csv = dir.file("bus.csv");
    const std::string args =
        "--simulate 3,7 watch 3,7,9 --interval-s 0.01 --count 3 --max-misses 2 --csv " + csv;
    const CliRun r = cliLine(args, dir);
    ASSERT_EQ(r.code, 0) << r.err;
    std::istringstream lines(r.out);
    std::vector<std::string> round;
    for (std::string l; std::getline(lines, l);) round.push_back(l);
    ASSERT_EQ(round.size(), 3u) << r.out;
    // The simulated devices measure in MPa at "0.000"; 9 is silent, then offline.
    EXPECT_NE(round[0].find("  3: 1.0"), std::string::npos) << round[0];
    EXPECT_NE(round[0].find(" MPa  7: 1.0"), std::string::npos) << round[0];
    EXPECT_EQ(round[0].substr(round[0].size() - 6), "  9: -");
    EXPECT_EQ(round[2].substr(round[2].size() - 12), "  9: offline");
    EXPECT_EQ(round[0][10], 'T');
    EXPECT_EQ(round[0].substr(19, 6), "+00:00");  // the tests run in UTC

    ASSERT_EQ(cliLine(args, dir).code, 0);
    const std::string text = readFileText(csv);
    EXPECT_EQ(text.rfind("time,address,value,unit\r\n", 0), 0u);
    EXPECT_EQ(countOf(text, "time,address"), 1u);
    EXPECT_EQ(countOf(text, ",3,"), 6u);
    EXPECT_EQ(countOf(text, ",7,"), 6u);
    EXPECT_EQ(countOf(text, ",MPa\r\n"), 12u);
    EXPECT_EQ(countOf(text, ",9,"), 0u);
}

TEST(CommandLineWatch, JsonSummaryAndFailures) {
    TempDir dir;
    const CliRun r = cliLine(
        "--simulate 3,7 --timeout-ms 20 --json watch --all --interval-s 0.01 --count 2", dir);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(countOf(r.out, "\n"), 1u) << r.out;  // one document, no round lines
    EXPECT_EQ(r.out.rfind(R"({"command":"watch","all":true,"intervalS":0.01,"rounds":2,)", 0), 0u)
        << r.out;
    EXPECT_NE(r.out.find(R"({"address":7,"pointPosition":"0.000","unit":"MPa","online":true,)"
                         R"("answers":2,"misses":0,"value":1.0)"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(R"("csv":null,"mqtt":null,"ok":true})"), std::string::npos) << r.out;

    // A CSV that cannot be written fails before the bus is touched.
    const CliRun csv = cliLine("--simulate 3 --json watch 3 --interval-s 0.01 --count 1 --csv " +
                                   dir.file("no/such/dir/bus.csv"),
                               dir);
    EXPECT_EQ(csv.code, 3);
    EXPECT_NE(csv.err.find(std::strerror(ENOENT)), std::string::npos) << csv.err;
    EXPECT_NE(csv.out.find(R"("ok":false)"), std::string::npos) << csv.out;
}

TEST(CommandLineWatch, AKilledWatchLeavesWholeRowsAndASignalEndsItWithItsCode) {
    TempDir dir;
    const std::string csv = dir.file("bus.csv");
    for (int sig : {SIGKILL, SIGTERM}) {
        ChildProcess p({KORV_CLI_PATH, "--simulate", "3,7", "--baud", "115200", "--time-scale",
                        "0.05", "watch", "3,7", "--interval-s", "0.01", "--csv", csv});
        ASSERT_NE(p.waitForLine("7: "), "");
        ASSERT_NE(p.waitForLine("7: "), "");
        p.signal(sig);
        std::string rest;
        EXPECT_EQ(p.finish(rest), 128 + sig) << rest;
    }
    const std::string text = readFileText(csv);
    EXPECT_EQ(countOf(text, "time,address"), 1u);
    // Every line whole: a time, an address, a value and the unit.
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    int rows = 0;
    while (std::getline(lines, line)) {
        ++rows;
        EXPECT_EQ(countOf(line, ","), 3u) << line;
        EXPECT_EQ(line.substr(line.size() - 4), "MPa\r") << line;
    }
    EXPECT_GE(rows, 4);
}
