// The command line's frame trace, the figures after a scan, and a bus reached over TCP.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "CliRun.h"
#include "sim/SimTcpServer.h"

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

TEST(CommandLineTrace, EveryFrameIsALineOnStandardError) {
    TempDir dir;
    const CliRun r = cliLine("--trace --timeout-ms 20 --simulate 1,7 scan --all", dir);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "1\n7\n");
    const std::regex shape(
        "[0-9]+\\.[0-9]{3} (TX|RX) [0-9]+ [0-9A-F]{2} (good|bad) "
        "(answer|time-out|refused|foreign|discarded|not-read|failed) (-|[0-9]+\\.[0-9]{3})"
        "( [0-9A-F]{2})+");
    int sent = 0, answers = 0;
    for (const std::string& l : lines(r.err)) {
        EXPECT_TRUE(std::regex_match(l, shape)) << l;
        sent += l.find(" TX ") != std::string::npos;
        answers +=
            l.find(" RX ") != std::string::npos && l.find(" good answer ") != std::string::npos;
    }
    EXPECT_EQ(sent, 60);
    EXPECT_EQ(answers, 2);
    EXPECT_NE(r.err.find(" TX 2 04 good time-out "), std::string::npos);
    EXPECT_NE(r.err.find(" RX 7 04 good answer "), std::string::npos);
}

TEST(CommandLineTrace, ScanWithStatsPrintsTheFiguresAfterTheList) {
    TempDir dir;
    const CliRun r = cliLine("--timeout-ms 20 --simulate 3 scan --stats --all", dir);
    EXPECT_EQ(r.code, 0);
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 1u + 1u + 60u);
    EXPECT_EQ(out[0], "3");
    EXPECT_EQ(out[1].rfind("address  requests   answers time-outs crc-errors", 0), 0u);
    const std::regex answered(
        "      3         1         1         0          0        0        0"
        " +[0-9.]+ +[0-9.]+ +[0-9.]+");
    EXPECT_TRUE(std::regex_match(out[4], answered)) << out[4];
    EXPECT_EQ(out[2],
              "      1         1         0         1          0        0        0        -"
              "        -        -");
    // The first-device scan takes it too; nothing else may follow scan.
    const CliRun first = cliLine("--timeout-ms 20 --simulate 2 scan --stats", dir);
    EXPECT_EQ(first.code, 0);
    EXPECT_EQ(lines(first.out).size(), 1u + 1u + 2u);
    EXPECT_EQ(cliLine("--simulate 2 scan --stats --stats", dir).code, 2);
    EXPECT_EQ(cliLine("--simulate 2 scan --all --json-ish", dir).code, 2);
}

TEST(CommandLineTrace, APortNamedTcpReachesTheBusOverTcp) {
    TempDir dir;
    TestBus t({5});
    SimTcpServer server(t.sim.portPath());
    const CliRun r = cliLine("--trace --port " + server.portName() + " read 5", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(lines(r.out).size(), 19u);
    EXPECT_NE(r.err.find(" RX 5 04 good answer "), std::string::npos);
    const CliRun refused = cliLine("--port tcp:127.0.0.1:notaport scan", dir);
    EXPECT_EQ(refused.code, 4);
    EXPECT_NE(refused.err.find("is not a TCP port name"), std::string::npos);
}

}  // namespace
