// What a command prints is its result: output that did not arrive, and a report that cannot be
// written, are failures with the system's reason.
#include <gtest/gtest.h>

#include <locale.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "sim/SimControl.h"
#include "tests/cli/CliRun.h"
#include "tests/support/ChildProcess.h"

namespace {

// The command with its standard output on `out` (a shell redirection target).
CliRun cliInto(const std::string& args, const std::string& out, const TempDir& dir) {
    const std::string err = dir.file("stderr.txt");
    // Shrunken waits are for a simulated bus only. The program runs on real time here, not on
    // the test's clock, so its answer window must outlast a loaded sanitizer run (at 0.03 a
    // scan missed its device once).
    const bool simulated = args.find("--simulate") != std::string::npos;
    const std::string cmd = std::string(KORV_CLI_PATH) + (simulated ? " --time-scale 0.2" : "") +
                            " --baud 115200 " + args + " >" + out + " 2>" + err;
    CliRun r;
    const int status = std::system(cmd.c_str());
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto e = readFileBytes(err);
    r.err.assign(e.begin(), e.end());
    return r;
}

// The program runs in the C locale while this test runs in the environment's (a German run
// would otherwise expect the German reason).
std::string cLocaleReason(int error) {
    const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    const std::string why = strerror_l(error, c);
    freelocale(c);
    return why;
}

}  // namespace

// `read 7 > /dev/full` used to exit 0 with nothing anywhere.
TEST(CommandLineOutput, EveryCommandWhoseOutputCannotBeWrittenExitsThreeWithTheReason) {
    TempDir dir;
    writeFileBytes(dir.file("a.rec"), "\tTime\t1\t2\t3\t4\r\n12-07 10:30\t1\t0\t0\t0\r\n");
    const std::string commands[] = {
        "--simulate 3 read 3",
        "--simulate 3 scan",
        "--simulate 3 --timeout-ms 20 scan --all --stats",
        "--simulate 3 --json read 3",
        "import " + dir.file("a.rec"),
        "--version",
    };
    for (const std::string& c : commands) {
        SCOPED_TRACE(c);
        const CliRun full = cliInto(c, "/dev/full", dir);
        EXPECT_EQ(full.code, 3);
        EXPECT_NE(full.err.find("korvelantis-cli: standard output: " + cLocaleReason(ENOSPC)),
                  std::string::npos)
            << full.err;
        const CliRun fine = cliInto(c, dir.file("out.txt"), dir);
        EXPECT_EQ(fine.code, 0) << fine.err;
        EXPECT_FALSE(readFileBytes(dir.file("out.txt")).empty());
    }
    // A command that failed keeps its own status.
    EXPECT_EQ(cliInto("--simulate 3 read 4", "/dev/full", dir).code, 3);
    EXPECT_EQ(cliInto("--simulate 3 frobnicate", "/dev/full", dir).code, 2);
}

// The report's folder is missing: nothing may reach a device, since the run's record would be
// lost (K and B used to be written first, then the command failed with nothing on stdout).
TEST(CommandLineOutput, CalibrateReportThatCannotBeMadeIsRefusedBeforeAnythingIsSent) {
    TempDir dir;
    writeFileBytes(dir.file("blocker"), "x");
    for (const char* report : {"no-such-folder/cal.csv", "blocker/cal.csv"}) {
        SCOPED_TRACE(report);
        const CliRun r = cliLine(
            "--simulate 3 --trace calibrate --points 2 --range 0 1.6 --dot 0.000 "
            "--apply true --report " +
                dir.file(report),
            dir);
        EXPECT_EQ(r.code, 3);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.find(" TX "), std::string::npos) << r.err;  // not one frame sent
        EXPECT_NE(r.err.find("Calibration report not saved: " + dir.file(report)),
                  std::string::npos)
            << r.err;
    }
}

// The folder goes away during the run: the table still comes, the exit says the report failed.
TEST(CommandLineOutput, CalibrateReportThatFailsAtTheEndStillPrintsTheTable) {
    TempDir dir;
    const std::string control = dir.file("ctl"), out = dir.file("out");
    std::filesystem::create_directory(out);
    TestBus tb(TestBus::inProcess({3}), 0.03);
    SimControlServer server(tb.sim, control);
    const std::string tty = tb.sim.portPath();
    const std::string hook = std::string("'") + KORV_SIM_PATH + " --control " + control +
                             " --set-pressure {target} && rm -rf " + out + " && echo x > " + out +
                             "'";
    const std::string args = "--port " + tty +
                             " calibrate --points 2 --range 0 1.6 --dot 0.000 --apply " + hook +
                             " --report " + out + "/cal.csv";
    const CliRun r = cliLine(args, dir, tb);
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.out.rfind("address\treading1\treading2\tK\tB", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\tverified\n"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(std::strerror(ENOTDIR)), std::string::npos) << r.err;
    // The same run with a folder that stays is a success.
    std::filesystem::remove(out);
    std::filesystem::create_directory(out);
    const std::string keep =
        std::string("'") + KORV_SIM_PATH + " --control " + control + " --set-pressure {target}'";
    const CliRun ok = cliLine("--port " + tty + " calibrate --points 2 --range 0 1.6 --dot 0.000 " +
                                  "--apply " + keep + " --report " + out + "/cal.csv",
                              dir, tb);
    EXPECT_EQ(ok.code, 0) << ok.err;
    EXPECT_FALSE(readFileBytes(out + "/cal.csv").empty());
}
