// The command line's record-file commands, run as the program itself.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "acquisition/RecordFile.h"
#include "tests/support/TestBus.h"

namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun runCli(const std::string& args) {
    TempDir errDir;
    const std::string errFile = errDir.file("stderr");
    const std::string cmd = std::string(KORV_CLI_PATH) + " " + args + " 2>" + errFile;
    CliRun r{-1, {}, {}};
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return r;
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) r.out += buf;
    const int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    const auto e = readFileBytes(errFile);
    r.err.assign(e.begin(), e.end());
    return r;
}

std::string textOf(const std::string& path) {
    const auto b = readFileBytes(path);
    return std::string(b.begin(), b.end());
}

}  // namespace

TEST(CliImport, PrintsFieldsRecordsAndPoints) {
    TempDir dir;
    writeFileBytes(dir.file("a.rec"), std::string(kRecordHeader) + "12-07 10:30\t1.5\t0\t0\t0\r\n" +
                                          "12-07 10:40\t1.6\t0\t0\t0\r\n");
    const CliRun r = runCli("import " + dir.file("a.rec"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "fields: Time,1,2,3,4\nrecords: 3\npoints: 2\n");
}

TEST(CliImport, HeaderOnlyAndMissingFilesFail) {
    TempDir dir;
    writeFileBytes(dir.file("h.rec"), std::string(kRecordHeader));
    EXPECT_NE(runCli("import " + dir.file("h.rec")).status, 0);
    EXPECT_NE(runCli("import " + dir.file("missing.rec")).status, 0);
    EXPECT_EQ(runCli("import").status, 2);
}

TEST(CliCollect, WritesARecordFileAndPrintsItsPath) {
    TempDir dir;
    const CliRun r = runCli(
        "--simulate 4 --baud 115200 --time-scale 0.05 collect 4 --interval-s 1 "
        "--count 1 --dot 0000 --dir " +
        dir.path());
    ASSERT_EQ(r.status, 0);
    ASSERT_FALSE(r.out.empty());
    const std::string path = r.out.substr(0, r.out.size() - 1);
    EXPECT_EQ(path.rfind(dir.path() + "/", 0), 0u);
    EXPECT_EQ(path.size() - dir.path().size() - 1, 18u);
    const auto bytes = readFileBytes(path);
    const std::string text(bytes.begin(), bytes.end());
    ASSERT_GT(text.size(), 15u);
    EXPECT_EQ(text.substr(0, 15), kRecordHeader);
    EXPECT_EQ(text.substr(text.size() - 8), "\t0\t0\t0\r\n");
    EXPECT_EQ(runCli("import " + path).out, "fields: Time,1,2,3,4\nrecords: 2\npoints: 1\n");
}

TEST(CliCollect, BadArgumentsAreUsageErrorsBeforeThePortOpens) {
    // A port that cannot open would give 4; the usage error comes first.
    for (const char* args :
         {"collect 4 --interval-s 0 --count 1", "collect 4 --interval-s 1 --count 1 --dot 0.0",
          "collect 61 --interval-s 1 --count 1",
          "collect 4 --interval-s 1 --count 1 --max-misses 0", "collect 4 --interval-s 1",
          "export a.rec", "export a.rec --cvs b"}) {
        const CliRun r = runCli(std::string("--port /nonexistent/tty ") + args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << args;
    }
    // The usage says what the exit codes mean.
    const CliRun u = runCli("");
    EXPECT_EQ(u.status, 2);
    EXPECT_NE(u.err.find("exit status: 0 done; 2 usage error"), std::string::npos) << u.err;
    EXPECT_NE(u.err.find("--max-misses"), std::string::npos);
}

TEST(CliCollect, UnwritableDirectoryFailsAtOnceInsteadOfReportingSuccess) {
    TempDir dir;
    writeFileBytes(dir.file("blocker"), "x");
    const auto t0 = std::chrono::steady_clock::now();
    const CliRun r = runCli(
        "--simulate 4 --baud 115200 --time-scale 0.05 collect 4 --interval-s 5 "
        "--count 3 --dir " +
        dir.file("blocker") + "/Data");
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "File open failed!\nNot a directory\n");
    EXPECT_TRUE(r.out.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(4));  // not 3 x 5 s
}

TEST(CliCollect, SilentDeviceEndsAfterMaxMissesWithAMessage) {
    TempDir dir;
    // Nothing answers at address 9; without --dot its point position is unknown, so nothing is
    // recorded at all.
    const CliRun unknown = runCli(
        "--simulate 4 --baud 115200 --time-scale 0.05 collect 9 --interval-s 1 --count 5 --dir " +
        dir.path());
    EXPECT_EQ(unknown.status, 3);
    EXPECT_EQ(unknown.err, "No online device\n");
    EXPECT_TRUE(unknown.out.empty());
    const CliRun r = runCli(
        "--simulate 4 --baud 115200 --time-scale 0.05 collect 9 --interval-s 1 "
        "--count 5 --max-misses 2 --dot 0000 --dir " +
        dir.path());
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(
        r.err,
        "No online device\nDevice did not answer 2 times in a row, acquisition ended!\n0 of 5 "
        "samples written\n");
    ASSERT_FALSE(r.out.empty());
    EXPECT_EQ(textOf(r.out.substr(0, r.out.size() - 1)), std::string(kRecordHeader));
}

TEST(CliExport, WritesTheRecordFileAsCsvWithTheYearOfItsName) {
    TempDir dir;
    writeFileBytes(dir.file("20241231235000.rec"), std::string(kRecordHeader) +
                                                       "12-31 23:55\t1.5\t0\t0\t0\r\n" +
                                                       "01-01 00:05\t1.6\t0\t0\t0\r\n");
    const CliRun r =
        runCli("export " + dir.file("20241231235000.rec") + " --csv " + dir.file("out.csv"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(textOf(dir.file("out.csv")),
              "Time,1,2,3,4\r\n2024-12-31T23:55,1.5,0,0,0\r\n2025-01-01T00:05,1.6,0,0,0\r\n");
    // Nothing to export, or nowhere to write it.
    writeFileBytes(dir.file("h.rec"), std::string(kRecordHeader));
    EXPECT_EQ(runCli("export " + dir.file("h.rec") + " --csv " + dir.file("h.csv")).status, 3);
    EXPECT_FALSE(std::filesystem::exists(dir.file("h.csv")));
    const CliRun w = runCli("export " + dir.file("20241231235000.rec") + " --csv " +
                            dir.file("no/such/out.csv"));
    EXPECT_EQ(w.status, 3);
    EXPECT_EQ(w.err.rfind("File write failed!\n", 0), 0u) << w.err;
}
