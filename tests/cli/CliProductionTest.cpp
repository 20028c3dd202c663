#include <gtest/gtest.h>

#include "tests/cli/CliRun.h"
#include "tests/support/ChildProcess.h"

// A calibration driven by an --apply hook that sets the running simulator's pressure; device 7
// echoes every write but keeps its registers, so only its verification can catch it.
TEST(CommandLineProduction, CalibrateWithAnApplyHookWritesAndVerifiesEveryDevice) {
    TempDir dir;
    const std::string tty = dir.file("tty"), control = dir.file("ctl");
    ChildProcess sim({KORV_SIM_PATH, "--devices", "3,7", "--baud", "115200", "--latency-ms", "1",
                      "--link", tty, "--control", control, "--fault", "7:ignore-writes"});
    ASSERT_NE(sim.waitForLine("/"), "");
    const std::string hook =
        std::string("'") + KORV_SIM_PATH + " --control " + control + " --set-pressure {target}'";
    const CliRun r =
        cliLine("--port " + tty + " --json calibrate --points 3 --range 0 1.6 --dot 0.000" +
                    " --apply " + hook + " --report " + dir.file("cal.csv"),
                dir);
    EXPECT_EQ(r.code, 3) << r.err;
    EXPECT_NE(r.out.find("{\"address\":3,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"result\":\"verified\",\"ok\":true}"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"result\":\"verify failed\",\"ok\":false}"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"targets\":[0,0.8,1.6]"), std::string::npos) << r.out;
    EXPECT_FALSE(readFileBytes(dir.file("cal.csv")).empty());
}
