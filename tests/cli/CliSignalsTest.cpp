// SIGINT, SIGTERM and SIGHUP end a command after the exchange in flight, saying what is known
// and leaving no device in a command mode.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/cli/CliRun.h"
#include "tests/support/ChildProcess.h"

using namespace std::chrono_literals;

namespace {

std::vector<std::string> cliArgs(const std::vector<std::string>& args) {
    std::vector<std::string> all{KORV_CLI_PATH, "--time-scale", "0.03", "--baud", "115200"};
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

// The lines of the one record file in `dir` (0 while there is none).
std::size_t recordLines(const std::string& dir, std::string* path = nullptr) {
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (e.path().extension() != ".rec")
            continue;
        if (path)
            *path = e.path().string();
        const auto b = readFileBytes(e.path().string());
        return static_cast<std::size_t>(std::count(b.begin(), b.end(), '\n'));
    }
    return 0;
}

}  // namespace

// Ctrl-C in the middle of collect used to exit 0 as if every sample had been taken.
TEST(CommandLineSignals, CollectEndsWithItsFileAndTheSamplesWrittenAndTheSignalsStatus) {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(sig);
        TempDir dir;
        ChildProcess c(cliArgs({"--simulate", "3", "collect", "3", "--interval-s", "1", "--count",
                                "100", "--dir", dir.path()}));
        const auto until = std::chrono::steady_clock::now() + 10s;
        while (recordLines(dir.path()) < 2 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(10ms);
        ASSERT_GE(recordLines(dir.path()), 2u);
        c.signal(sig);
        std::string out;
        EXPECT_EQ(c.finish(out), 128 + sig) << out;
        std::string path;
        const std::size_t samples = recordLines(dir.path(), &path) - 1;
        EXPECT_NE(out.find(path + "\n"), std::string::npos) << out;
        EXPECT_NE(out.find(std::to_string(samples) + " of 100 samples written"), std::string::npos)
            << out;
    }
}

// However output-calibrate stops before the coefficients are in, no device is left driving its
// output at a commanded point (register 40 = 1 used to stay in every device).
TEST(CommandLineSignals, OutputCalibrationThatStopsEarlyEndsTheCommandModeOfEveryDevice) {
    TempDir dir;
    // The last one measures at the terminal, whose standard input is empty.
    const std::string stops[] = {"--measure false", "--measure 'echo abc'", ""};
    for (const std::string& stop : stops) {
        SCOPED_TRACE(stop);
        const CliRun r =
            cliLine("--simulate 3,7 --timeout-ms 20 --trace output-calibrate current " + stop, dir);
        EXPECT_EQ(r.code, 3);
        const auto low = r.err.find("07 06 00 28 00 01");
        ASSERT_NE(low, std::string::npos) << r.err;
        EXPECT_NE(r.err.find("03 06 00 28 00 00", low), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("07 06 00 28 00 00", low), std::string::npos) << r.err;
    }
}

TEST(CommandLineSignals, OutputCalibrationStoppedByASignalEndsTheCommandModeAndThePort) {
    TempDir dir;
    ChildProcess c(cliArgs({"--simulate", "3,7", "--trace", "output-calibrate", "current",
                            "--measure", "sleep 0.3; echo 4"}));
    ASSERT_NE(c.waitForLine("07 06 00 28 00 01"), "");
    c.signal(SIGTERM);
    std::string out;
    EXPECT_EQ(c.finish(out), 143) << out;
    EXPECT_NE(out.find("03 06 00 28 00 00"), std::string::npos) << out;
    EXPECT_NE(out.find("07 06 00 28 00 00"), std::string::npos) << out;
    EXPECT_EQ(out.find("00 28 00 02"), std::string::npos) << out;  // the high point never came
}

// A signal during the store wait after the broadcast: every device holds the new values, and
// the command says so instead of ending without a word.
TEST(CommandLineSignals, BatchDownloadStoppedAfterItsBroadcastSaysEveryDeviceWasWritten) {
    TempDir dir;
    const CliRun read = cliLine("--simulate 3 read 3", dir);
    ASSERT_EQ(read.code, 0) << read.err;
    writeFileBytes(dir.file("p.txt"), read.out);
    // A store wait of 1 s, so the signal surely comes during it.
    ChildProcess c({KORV_CLI_PATH, "--time-scale", "0.2", "--baud", "115200", "--simulate", "3,7",
                    "--timeout-ms", "20", "--trace", "download", "--all", dir.file("p.txt")});
    ASSERT_NE(c.waitForLine(" TX 127 "), "");
    c.signal(SIGINT);
    std::string out;
    EXPECT_EQ(c.finish(out), 130) << out;
    EXPECT_NE(out.find("3: written, not read back\n"), std::string::npos) << out;
    EXPECT_NE(out.find("7: written, not read back\n"), std::string::npos) << out;
}
