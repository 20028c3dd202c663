#include <gtest/gtest.h>

#include "tests/cli/CliRun.h"

TEST(CommandLine, ScanPrintsTheFirstDevice) {
    TempDir dir;
    const CliRun r = cli("--simulate 7,9 scan", dir);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "7\n");
}

TEST(CommandLine, ScanAllPrintsEveryOnlineAddressInOrder) {
    TempDir dir;
    const CliRun r = cli("--simulate 12,1 scan --all", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "1\n12\n");
}

TEST(CommandLine, ReadPrintsNineteenLinesAndDownloadWritesThemBack) {
    TempDir dir;
    const CliRun r = cli("--simulate 3 read 3", dir);
    ASSERT_EQ(r.code, 0) << r.err;
    std::size_t lines = 0;
    for (char c : r.out) lines += c == '\n';
    EXPECT_EQ(lines, 19u);
    EXPECT_EQ(r.out.rfind("signalType=", 0), 0u);
    EXPECT_EQ(r.out.find('\r'), std::string::npos);

    writeFileBytes(dir.file("p.txt"), r.out);
    const CliRun d = cli("--simulate 3 download 3 " + dir.file("p.txt"), dir);
    EXPECT_EQ(d.code, 0);
    EXPECT_EQ(d.err, "Download Success!\n");
    const CliRun f = cli("--simulate 3 download 4 " + dir.file("p.txt"), dir);
    EXPECT_EQ(f.code, 3);
    EXPECT_EQ(f.err, "Download failed!\n");
}

TEST(CommandLine, SilentDeviceAndEmptyBusExitThree) {
    TempDir dir;
    const CliRun r = cli("--simulate 3 read 4", dir);
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.out, "");
}

TEST(CommandLine, BadFileNumberRefusesToDownload) {
    TempDir dir;
    writeFileBytes(dir.file("bad.txt"),
                   "signalType=Pressure\r\r\nsignalUnit=MPa\r\r\nrangeStart=x\r\r\n");
    const CliRun r = cli("--simulate 3 download --all " + dir.file("bad.txt"), dir);
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.err.rfind("请键入一个数。\n", 0), 0u);
}

TEST(CommandLine, UsageErrorsExitTwoAndUnopenablePortsFour) {
    TempDir dir;
    EXPECT_EQ(cli("--simulate 3 read", dir).code, 2);
    EXPECT_EQ(cli("--simulate 3 frobnicate", dir).code, 2);
    EXPECT_EQ(cli("--parity odd --simulate 3 scan", dir).code, 2);
    EXPECT_EQ(cli("--simulate 3 configure 61 5", dir).code, 2);
    const CliRun r = cli("--port /nonexistent/tty scan", dir);
    EXPECT_EQ(r.code, 4);
    EXPECT_NE(r.err.find("/nonexistent/tty"), std::string::npos);
}

TEST(CommandLine, ConfigureWritesProductCodeAndAddressToEveryDevice) {
    TempDir dir;
    const CliRun r = cli("--simulate 3 configure 5 70000", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
}

TEST(CommandLine, ChoiceThatNamesNoListEntryRefusesToDownload) {
    TempDir dir;
    const CliRun r = cli("--simulate 3 read 3", dir);
    ASSERT_EQ(r.code, 0) << r.err;
    std::string file = r.out;
    const auto at = file.find("k1Type=");
    ASSERT_NE(at, std::string::npos);
    file.replace(at, file.find('\n', at) - at, "k1Type=Hysteresis normally opne");
    writeFileBytes(dir.file("typo.txt"), file);
    const CliRun d = cli("--simulate 3 download 3 " + dir.file("typo.txt"), dir);
    EXPECT_EQ(d.code, 3);
    EXPECT_NE(d.err.find("k1Type=Hysteresis normally opne"), std::string::npos) << d.err;
    EXPECT_EQ(d.err.find("Download"), std::string::npos) << d.err;
}
