#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "calibration/SensorCalibration.h"
#include "cli/Run.h"
#include "sim/SimBus.h"
#include "sim/SimControl.h"
#include "tests/cli/CliRun.h"
#include "tests/support/ChildProcess.h"

// A calibration driven by an --apply hook that sets the running simulator's pressure; device 7
// echoes every write but keeps its registers, so only its verification can catch it.
TEST(CommandLineProduction, CalibrateWithAnApplyHookWritesAndVerifiesEveryDevice) {
    TempDir dir;
    const std::string control = dir.file("ctl");
    TestBus tb(TestBus::inProcess({3, 7}), 0.03);
    tb.sim.setFaults(7, {.ignoreWrites = true});
    SimControlServer server(tb.sim, control);
    const std::string hook =
        std::string("'") + KORV_SIM_PATH + " --control " + control + " --set-pressure {target}'";
    const CliRun r = cliLine("--port " + tb.sim.portPath() +
                                 " --json calibrate --points 3 --range 0 1.6 --dot 0.000" +
                                 " --apply " + hook + " --report " + dir.file("cal.csv"),
                             dir, tb);
    EXPECT_EQ(r.code, 3) << r.err;
    EXPECT_NE(r.out.find("{\"address\":3,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"result\":\"verified\",\"ok\":true}"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"result\":\"verify failed\",\"ok\":false}"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"targets\":[0,0.8,1.6]"), std::string::npos) << r.out;
    EXPECT_FALSE(readFileBytes(dir.file("cal.csv")).empty());
}

// A line that hangs up in the middle of the coefficient writes: the command used to exit with
// only the port's message. It now prints every device with what it is known to hold, keeps the
// readings in the table and the report, and says it on standard error too.
TEST(CommandLineProduction, AHangUpDuringTheWritesReportsEveryDevice) {
    struct Case {
        const char* args;         // {report} and {control} filled in
        std::size_t hangUpAfter;  // requests until the write to device 7, unanswered
        std::vector<const char*> expected;
    };
    const std::string apply =
        std::string(" --apply '") + KORV_SIM_PATH + " --control {control} --set-pressure {target}'";
    const std::string calibrate =
        "calibrate --points 2 --range 0 1.6 --dot 0.000 --report {report}" + apply;
    const Case cases[] = {
        {calibrate.c_str(),
         60 + 3 + 3 + 2,  // the scan, two points, the writes to 3 and 7
         {"{\"address\":3,\"readings\":[", "\"result\":\"written\",\"ok\":false}",
          "{\"address\":7,\"readings\":[", "\"result\":\"not confirmed\",\"ok\":false}",
          "{\"address\":9,\"readings\":[", "\"result\":\"not reached\",\"ok\":false}"}},
        {"output-calibrate current --measure 'case {point} in low) echo 4;; high) echo 20;; esac'",
         60 + 3 + 3 + 3 + 3 + 2,  // the scan, the output types, low and high, the commands 0, the
                                  // writes to 3 and 7
         {"{\"address\":3,\"result\":\"written\",\"ok\":false}",
          "{\"address\":7,\"result\":\"not confirmed\",\"ok\":false}",
          "{\"address\":9,\"result\":\"not reached\",\"ok\":false}"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        TempDir dir;
        TestBus tb(TestBus::inProcess({3, 7, 9}), 0.03);
        SimBus& sim = tb.sim;
        sim.setGainOffset(7, 9000.0, 300.0);
        SimControlServer control(sim, dir.file("ctl"));
        sim.hangUpAfter(c.hangUpAfter);
        std::string args = c.args;
        for (const auto& [mark, value] :
             {std::pair{"{report}", dir.file("cal.csv")}, std::pair{"{control}", dir.file("ctl")}})
            if (const auto p = args.find(mark); p != std::string::npos)
                args.replace(p, std::string(mark).size(), value);
        const CliRun r =
            cliLine("--port " + sim.portPath() + " --timeout-ms 20 --json " + args, dir, tb);
        EXPECT_EQ(r.code, 3) << r.err;
        std::size_t at = 0;
        for (const char* e : c.expected) {
            const auto found = r.out.find(e, at);
            EXPECT_NE(found, std::string::npos) << e << "\n" << r.out;
            at = found == std::string::npos ? at : found;
        }
        EXPECT_NE(r.err.find("Error code 5: serial read failed!"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(cli::spoken(calib::downloadInterruptedText({3}, {7}, {9}),
                                         cli::Language::English)),
                  std::string::npos)
            << r.err;
        if (std::string(c.args).rfind("calibrate", 0) == 0) {
            EXPECT_EQ(r.out.find("\"readings\":[null"), std::string::npos) << r.out;
            const auto csv = readFileBytes(dir.file("cal.csv"));
            const std::string report(csv.begin(), csv.end());
            for (const char* row : {"\n3,written,", "\n7,not confirmed,", "\n9,not reached,"})
                EXPECT_NE(report.find(row), std::string::npos) << row << "\n" << report;
        }
    }
}
