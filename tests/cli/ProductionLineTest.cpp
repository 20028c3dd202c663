#include <gtest/gtest.h>

#include <string>

#include "tests/cli/CliRun.h"
#include "tests/support/ChildProcess.h"

namespace {

// The shell script of docs/production-line.md, exactly as a reader copies it.
std::string scriptOfTheDocument() {
    const auto bytes = readFileBytes(std::string(KORV_TESTS_DIR) + "/../docs/production-line.md");
    const std::string doc(bytes.begin(), bytes.end());
    const std::string open = "```sh\n";
    const auto begin = doc.find(open);
    if (begin == std::string::npos)
        return {};
    const auto end = doc.find("\n```", begin + open.size());
    return end == std::string::npos
               ? std::string{}
               : doc.substr(begin + open.size(), end - begin - open.size() + 1);
}

std::string fileText(const std::string& path) {
    const auto b = readFileBytes(path);
    return {b.begin(), b.end()};
}

struct LineRun {
    int code = -1;
    std::string err;
};

LineRun runLine(const TempDir& dir, const std::string& tty, const std::string& control) {
    const std::string script = dir.file("production-line.sh");
    writeFileBytes(script, scriptOfTheDocument());
    const std::string hook =
        std::string("'") + KORV_SIM_PATH + " --control " + control + " --set-pressure {target}'";
    const std::string cmd = std::string("KORVELANTIS_CLI='") + KORV_CLI_PATH +
                            " --timeout-ms 20' BAUD=115200 RANGE='0 1.6' sh " + script + " " + tty +
                            " " + dir.file("params.ini") + " " + dir.file("out") + " " + hook +
                            " 2>" + dir.file("line.err");
    const int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, fileText(dir.file("line.err"))};
}

}  // namespace

// The example a production line starts from must run as printed: with good devices every step
// passes; a device that keeps its old values stops the line at the download, before calibration.
TEST(ProductionLineExample, RunsAsPrintedAndStopsAtTheFirstFailingStep) {
    ASSERT_NE(scriptOfTheDocument().find("step calibrate"), std::string::npos);
    struct Case {
        const char* fault;
        int code;
        const char* stopsAt;
    };
    for (const Case& c : {Case{nullptr, 0, nullptr}, Case{"7:ignore-writes", 3, "download"}}) {
        SCOPED_TRACE(c.fault ? c.fault : "no fault");
        TempDir dir;
        const std::string tty = dir.file("tty"), control = dir.file("ctl");
        std::vector<std::string> argv{KORV_SIM_PATH, "--devices",    "3,7",  "--baud",
                                      "115200",      "--latency-ms", "1",    "--link",
                                      tty,           "--control",    control};
        if (c.fault)
            argv.insert(argv.end(), {"--fault", c.fault});
        ChildProcess sim(argv);
        ASSERT_NE(sim.waitForLine("/"), "");
        const CliRun read = cliLine("--port " + tty + " read 3", dir);
        ASSERT_EQ(read.code, 0) << read.err;
        writeFileBytes(dir.file("params.ini"), read.out);

        const LineRun r = runLine(dir, tty, control);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(fileText(dir.file("out/scan.json")).find("\"devices\":[3,7]"), std::string::npos);
        const std::string download = fileText(dir.file("out/download.json"));
        const std::string calibrate = fileText(dir.file("out/calibrate.json"));
        if (!c.stopsAt) {
            EXPECT_NE(download.find("\"ok\":true}"), std::string::npos) << download;
            EXPECT_NE(calibrate.find("\"targets\":[0,0.8,1.6]"), std::string::npos) << calibrate;
            EXPECT_EQ(calibrate.find("\"ok\":false"), std::string::npos) << calibrate;
            EXPECT_FALSE(fileText(dir.file("out/calibration.csv")).empty());
        } else {
            EXPECT_NE(r.err.find(std::string(c.stopsAt) + " failed (exit 3)"), std::string::npos)
                << r.err;
            EXPECT_NE(download.find("\"ok\":false"), std::string::npos) << download;
            EXPECT_TRUE(calibrate.empty()) << "the line went on to calibrate";
        }
    }
}

// Output calibration from the --measure hook: a device that ignores the write is named, and
// measured values that would give a flat or reversed output are refused before anything is
// written.
TEST(CommandLineProduction, OutputCalibrateReadsBackAndRefusesAFlatOrReversedLine) {
    struct Case {
        const char* low;
        const char* high;
        int code;
        const char* expected;  // in the JSON document, or on standard error when refused
    };
    const Case cases[] = {
        {"4.1", "19.8", 3,
         "\"low\":4.1,\"high\":19.8,\"slope\":4.1315784,\"offset\":3.2736855,\"devices\":[{"
         "\"address\":3,\"result\":\"verified\",\"ok\":true},{\"address\":7,\"result\":\"holds "
         "other coefficients\",\"ok\":false}],\"ok\":false}"},
        {"4", "4", 3, "The high value must be above the low value; nothing was written."},
        {"20", "4", 3, "The high value must be above the low value; nothing was written."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.low) + ".." + c.high);
        TempDir dir;
        TestBus tb(TestBus::inProcess({3, 7}), 0.03);
        tb.sim.setFaults(7, {.ignoreWrites = true});
        const std::string measure = std::string("'case {point} in low) echo ") + c.low +
                                    ";; high) echo " + c.high + ";; esac'";
        const CliRun r = cliLine(
            "--port " + tb.sim.portPath() + " --json output-calibrate current --measure " + measure,
            dir, tb);
        EXPECT_EQ(r.code, c.code);
        const bool refused = std::string(c.expected).rfind("The high", 0) == 0;
        EXPECT_NE((refused ? r.err : r.out).find(c.expected), std::string::npos) << r.out << r.err;
        if (refused) {
            EXPECT_EQ(r.out.find("verified"), std::string::npos) << r.out;
        }
    }
}
