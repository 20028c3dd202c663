// The command line's record-file commands, run as the program itself.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "acquisition/RecordFile.h"
#include "tests/support/TestBus.h"

namespace {

struct CliRun {
    int status;
    std::string out;
};

CliRun runCli(const std::string& args) {
    const std::string cmd = std::string(KORV_CLI_PATH) + " " + args + " 2>/dev/null";
    CliRun r{-1, {}};
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return r;
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) r.out += buf;
    const int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
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

TEST(CliCollect, BadArgumentsAreUsageErrors) {
    EXPECT_EQ(runCli("--simulate 4 collect 4 --interval-s 0 --count 1").status, 2);
    EXPECT_EQ(runCli("--simulate 4 collect 4 --interval-s 1 --count 1 --dot 0.0").status, 2);
    EXPECT_EQ(runCli("--simulate 4 collect 61 --interval-s 1 --count 1").status, 2);
}
