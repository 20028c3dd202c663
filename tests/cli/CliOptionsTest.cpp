// The command line's line settings, addresses and response time-out: checked before the port is
// touched (an unopenable port would exit 4, a refused argument exits 2).
#include <gtest/gtest.h>

#include "tests/cli/CliRun.h"

TEST(CommandLineOptions, AreRefusedBeforeThePortIsOpened) {
    TempDir dir;
    writeFileBytes(dir.file("p.txt"), "");
    const std::string file = dir.file("p.txt");
    const char* const refused[] = {
        // --baud 99999999999 was narrowed to some other rate without a word.
        "--baud 99999999999 scan",
        "--baud 14400 scan",
        "--baud 9600abc scan",
        "--baud -9600 scan",
        "--parity oddd scan",
        "--parity=Odd scan",
        "--data-bits 9 scan",
        "--stop-bits 3 scan",
        "--timeout-ms 19 scan",
        "--timeout-ms 5001 scan",
        "--timeout-ms 50ms scan",
        "read 0",
        "read 61",
        "read x",
        "configure 0 5",
        "collect 61 --interval-s 1 --count 1",
        "watch --interval-s 1",
        "watch 3 --all --interval-s 1",
        "watch 3,3 --interval-s 1",
        "watch 3,61 --interval-s 1",
        "watch 3",
        "watch 3 --interval-s 0",
        "watch 3 --interval-s 1s",
        "watch 3 --interval-s 1 --count 0",
        "watch 3 --interval-s 1 --max-misses 0",
        "watch 3 --interval-s 1 --topic plant",
        "watch 3 --interval-s 1 --qos 1",
        "watch 3 --interval-s 1 --mqtt :1883",
        "watch 3 --interval-s 1 --mqtt broker:0",
        "watch 3 --interval-s 1 --mqtt broker:65536",
        "watch 3 --interval-s 1 --mqtt broker:",
        "watch 3 --interval-s 1 --mqtt broker --qos 2",
        "watch 3 --interval-s 1 --mqtt broker --topic plant/#",
        "watch 3 --interval-s 1 --mqtt broker --topic plant/",
    };
    for (const char* args : refused) {
        const CliRun r = cliLine(std::string("--port /nonexistent/tty ") + args, dir);
        EXPECT_EQ(r.code, 2) << args << "\n" << r.err;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << args;
        EXPECT_EQ(r.err.find("/nonexistent/tty"), std::string::npos) << args;
    }
    const CliRun download = cliLine("--port /nonexistent/tty download 61 " + file, dir);
    EXPECT_EQ(download.code, 2);
    // A product code no register pair can hold is the command's refusal, still before the port.
    const CliRun code = cliLine("--port /nonexistent/tty configure 5 99999999999", dir);
    EXPECT_EQ(code.code, 3);
    EXPECT_EQ(code.err, "Product code: enter a value from 0 to 2147483647\n");
    const CliRun baud = cliLine("--port /nonexistent/tty --baud 99999999999 scan", dir);
    EXPECT_NE(baud.err.find("--baud 99999999999 is not accepted"), std::string::npos) << baud.err;
}

TEST(CommandLineOptions, ResponseTimeOutIsTakenForEveryExchange) {
    TempDir dir;
    const CliRun r = cliLine("--timeout-ms 20 --simulate 9,7 scan --all", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "7\n9\n");
    for (const char* ok : {"--timeout-ms 20", "--timeout-ms 5000", "--baud 300 --timeout-ms 20"}) {
        const CliRun e = cliLine(std::string(ok) + " --port /nonexistent/tty scan", dir);
        EXPECT_EQ(e.code, 4) << ok;  // accepted: it got as far as the port
    }
}
