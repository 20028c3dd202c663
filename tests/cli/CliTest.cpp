#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "tests/cli/CliRun.h"

TEST(CommandLine, ScanPrintsTheFirstDevice) {
    TempDir dir;
    const CliRun r = cliLine("--simulate 7,9 scan", dir);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "7\n");
    EXPECT_EQ(r.err, "");  // a port that opened is not worth a word to a script
}

TEST(CommandLine, ScanAllPrintsEveryOnlineAddressInOrder) {
    TempDir dir;
    const CliRun r = cliLine("--simulate 12,1 scan --all", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "1\n12\n");
}

TEST(CommandLine, ReadPrintsNineteenLinesAndDownloadWritesThemBack) {
    TempDir dir;
    const CliRun r = cliLine("--simulate 3 read 3", dir);
    ASSERT_EQ(r.code, 0) << r.err;
    std::size_t lines = 0;
    for (char c : r.out) lines += c == '\n';
    EXPECT_EQ(lines, 19u);
    EXPECT_EQ(r.out.rfind("signalType=", 0), 0u);
    EXPECT_EQ(r.out.find('\r'), std::string::npos);

    writeFileBytes(dir.file("p.txt"), r.out);
    const CliRun d = cliLine("--simulate 3 download 3 " + dir.file("p.txt"), dir);
    EXPECT_EQ(d.code, 0);
    EXPECT_EQ(d.err, "Download successful.\n");
    // The device's own block is read first: an absent one gets nothing.
    const CliRun f = cliLine("--simulate 3 download 4 " + dir.file("p.txt"), dir);
    EXPECT_EQ(f.code, 3);
    EXPECT_EQ(f.err, "No online device\n");
}

TEST(CommandLine, SilentDeviceAndEmptyBusExitThree) {
    TempDir dir;
    const CliRun r = cliLine("--simulate 3 read 4", dir);
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.out, "");
}

TEST(CommandLine, UsageErrorsExitTwoAndUnopenablePortsFour) {
    TempDir dir;
    EXPECT_EQ(cliLine("--simulate 3 read", dir).code, 2);
    EXPECT_EQ(cliLine("--simulate 3 frobnicate", dir).code, 2);
    EXPECT_EQ(cliLine("--parity space --simulate 3 scan", dir).code, 2);
    EXPECT_EQ(cliLine("--simulate 3 configure 61 5", dir).code, 2);
    const CliRun r = cliLine("--port /nonexistent/tty scan", dir);
    EXPECT_EQ(r.code, 4);
    EXPECT_EQ(r.err,
              "Start-up: the serial port could not be opened!\n"
              "No such device: /nonexistent/tty. Is the adapter plugged in?\n");
    // RS-485 mode on a terminal whose driver lacks it: said, and nothing is sent.
    TestBus tb({3}, 0.03);
    const CliRun rs = cliLine("--rs485 --port " + tb.sim.portPath() + " scan", dir);
    EXPECT_EQ(rs.code, 4);
    EXPECT_NE(rs.err.find("has no RS-485 mode"), std::string::npos) << rs.err;
    EXPECT_TRUE(tb.sim.framesReceived().empty());
}

TEST(CommandLine, ConfigureWritesProductCodeAndAddressToEveryDevice) {
    TempDir dir;
    const CliRun r = cliLine("--simulate 3 configure 5 70000", dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
}

TEST(CommandLine, ChoiceThatNamesNoListEntryRefusesToDownload) {
    TempDir dir;
    const CliRun r = cliLine("--simulate 3 read 3", dir);
    ASSERT_EQ(r.code, 0) << r.err;
    std::string file = r.out;
    const auto at = file.find("k1Type=");
    ASSERT_NE(at, std::string::npos);
    file.replace(at, file.find('\n', at) - at, "k1Type=Hysteresis normally opne");
    writeFileBytes(dir.file("typo.txt"), file);
    const CliRun d = cliLine("--simulate 3 download 3 " + dir.file("typo.txt"), dir);
    EXPECT_EQ(d.code, 3);
    EXPECT_NE(d.err.find("k1Type=Hysteresis normally opne"), std::string::npos) << d.err;
    EXPECT_EQ(d.err.find("Download"), std::string::npos) << d.err;
}

namespace {

std::size_t writeFrames(const SimBus& sim) {
    std::size_t n = 0;
    for (const auto& f : sim.framesReceived()) n += f.bytes.size() > 1 && f.bytes[1] == 0x10;
    return n;
}

// `line` ("key=value") in place of the file's line with that key; an empty value drops it.
std::string withLine(std::string file, const std::string& key, const std::string& line) {
    const auto at = file.find(key + "=");
    const auto end = file.find('\n', at) + 1;
    file.replace(at, end - at, line.empty() ? "" : line + "\n");
    return file;
}

}  // namespace

// Read with `read 1` and written back with `download --all`, registers 6/7/13/17/19/20 ended as
// -114/114/6/8/-114/114.
TEST(CommandLine, WhatReadPrintsDownloadsToTheRegistersItCameFrom) {
    TempDir dir;
    TestBus tb(TestBus::inProcess({1}), 0.03);
    const std::pair<int, std::int16_t> regs[] = {{9, 2},   {6, -115},  {7, 115},  {13, 7},
                                                 {17, 9},  {19, -115}, {20, 115}, {11, -125},
                                                 {16, 33}, {21, 998}};
    for (auto [r, v] : regs) tb.sim.setReg(1, r, static_cast<std::uint16_t>(v));
    const std::string port = "--port " + tb.sim.portPath() + " ";
    const CliRun r = cliLine(port + "read 1", dir, tb);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("rangeStart=-1.15\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("k1Delay=0.7\n"), std::string::npos) << r.out;
    for (auto [r, v] : regs) tb.sim.setReg(1, r, 0);
    writeFileBytes(dir.file("r.txt"), r.out);
    const CliRun d = cliLine(port + "download --all " + dir.file("r.txt"), dir, tb);
    EXPECT_EQ(d.code, 0) << d.err;
    for (auto [reg, v] : regs) EXPECT_EQ(tb.sim.reg(1, reg), static_cast<std::uint16_t>(v)) << reg;
}

// Density 70000 went out as 4464, 3e38 and 1e30 through an undefined conversion, a directory
// aborted the program, a FIFO hung it, and a file for "00.00" sent to a "0.000" device stored
// K1 action -0.013 instead of -0.125; each followed by "Download Success!" or worse.
TEST(CommandLine, DownloadsThatWouldWriteWrongRegistersExitThreeAndSendNothing) {
    TempDir dir;
    TestBus tb(TestBus::inProcess({3}), 0.03);
    tb.sim.setReg(3, 9, 2);  // "00.00"
    tb.sim.setReg(3, 8, 4);  // "2K+1A"
    const std::string port = "--port " + tb.sim.portPath() + " ";
    const CliRun r = cliLine(port + "read 3", dir, tb);
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string file;  // empty: `path` as it is
        std::string path;
        std::string command;
        std::string err;
    };
    const std::string p = dir.file("p.txt");
    const Case cases[] = {
        {withLine(r.out, "density", "density=70000"), p, "download 3 ",
         "Liquid density: enter a value from 0 to 65535\n"},
        {withLine(r.out, "k1Action", "k1Action=1e30"), p, "download --all ",
         "K1 action: enter a value from -327.68 to 327.67\n"},
        {withLine(r.out, "rangeEnd", "rangeEnd=3e38"), p, "download --all ",
         "Range end: enter a value from 0 to 655.35\n"},
        {withLine(r.out, "rangeStart", "rangeStart=x"), p, "download --all ",
         "Please enter a number.\n" + p + ": the value of this parameter is not a number\n"},
        {withLine(r.out, "k1Delay", ""), p, "download 3 ", p + ": Line 10 (k1Delay) is missing!\n"},
        {withLine(r.out, "dotPos", "dotPos=0.000"), p, "download 3 ",
         "Point position: the file has 0.000, device 3 has 00.00\n"},
        {withLine(r.out, "outputType", "outputType=K1+K2"), p, "download 3 ",
         "Output type: the file has K1+K2, device 3 has 2K+1A\n"},
        {"", dir.path(), "download --all ",
         dir.path() + ": cannot be read (a directory, not a file)\n"},
        {"", fifo, "download 3 ", fifo + ": cannot be read (not a regular file)\n"},
        {"", "/dev/zero", "download --all ", "/dev/zero: cannot be read (not a regular file)\n"},
    };
    for (const Case& c : cases) {
        if (!c.file.empty())
            writeFileBytes(c.path, c.file);
        tb.sim.clearFramesReceived();
        const CliRun d = cliLine(port + c.command + c.path, dir, tb);
        EXPECT_EQ(d.code, 3) << c.err;
        EXPECT_EQ(d.err, c.err);
        EXPECT_EQ(writeFrames(tb.sim), 0u) << c.err;
    }
    // The same file with its keys in another order goes out.
    writeFileBytes(p, withLine(r.out, "signalType", "") + "signalType=Pressure\n");
    const CliRun d = cliLine(port + "download 3 " + p, dir, tb);
    EXPECT_EQ(d.code, 0) << d.err;
    EXPECT_EQ(writeFrames(tb.sim), 1u);
}

// Type 9, unit 10 and point position 7 were printed as the lists' own defaults.
TEST(CommandLine, ReadMarksCodesNoListCanShowSoDownloadRefusesThem) {
    TempDir dir;
    TestBus tb(TestBus::inProcess({3}), 0.03);
    tb.sim.setReg(3, 4, 9);
    tb.sim.setReg(3, 5, 10);
    tb.sim.setReg(3, 9, 7);
    const std::string port = "--port " + tb.sim.portPath() + " ";
    const CliRun r = cliLine(port + "read 3", dir, tb);
    EXPECT_EQ(r.code, 5);
    EXPECT_EQ(r.out.rfind("signalType=(code 9)\nsignalUnit=(code 10)\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\ndotPos=(code 7)\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.err,
              "signalType: device 3 holds code 9, which no list can show\n"
              "signalUnit: device 3 holds code 10, which no list can show\n"
              "dotPos: device 3 holds code 7, which no list can show\n");
    writeFileBytes(dir.file("r.txt"), r.out);
    tb.sim.clearFramesReceived();
    const CliRun d = cliLine(port + "download --all " + dir.file("r.txt"), dir, tb);
    EXPECT_EQ(d.code, 3);
    EXPECT_EQ(d.err, dir.file("r.txt") + ": signalType=(code 9) is not one of its choices\n");
    EXPECT_EQ(writeFrames(tb.sim), 0u);
}

TEST(CommandLine, ConfigureRefusesAProductCodeItCannotSend) {
    TempDir dir;
    for (const char* code : {"-1", "2147483648"}) {
        const CliRun r = cliLine(std::string("--simulate 3 configure 5 ") + code, dir);
        EXPECT_EQ(r.code, 3) << code;
        EXPECT_EQ(r.err, "Product code: enter a value from 0 to 2147483647\n");
    }
    EXPECT_EQ(cliLine("--simulate 3 configure 5 12x", dir).code, 2);
}

TEST(CommandLine, ConfigureRefusesWhenTwoDevicesAnswerUnlessForced) {
    TempDir dir;
    const CliRun r = cliLine("--simulate 3,7 --timeout-ms 20 configure 5 70000", dir);
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("More than one device answers: 3, 7."), std::string::npos) << r.err;
    const CliRun f =
        cliLine("--simulate 3,7 --timeout-ms 20 --json configure 5 70000 --force", dir);
    EXPECT_EQ(f.code, 0) << f.err;
    EXPECT_NE(f.out.find("\"answering\":[3,7],\"sent\":true,\"status\":\"confirmed\""),
              std::string::npos)
        << f.out;
}

TEST(CommandLine, DownloadAllPrintsOneLinePerDeviceAfterItsReadBack) {
    TempDir dir;
    const CliRun r = cliLine("--simulate 3 read 3", dir);
    ASSERT_EQ(r.code, 0) << r.err;
    writeFileBytes(dir.file("p.txt"), r.out);
    const CliRun d = cliLine("--simulate 3,7 download --all " + dir.file("p.txt"), dir);
    EXPECT_EQ(d.code, 0) << d.err;
    EXPECT_EQ(d.out, "3: verified\n7: verified\n");
    EXPECT_EQ(d.err, "Download successful.\n2 of 2 devices verified\n");
}

// A device answering with an exception: `read 7` said "No online device" and `scan --all` left it
// out without a word.
TEST(CommandLine, RefusingDeviceIsNamedWithItsException) {
    TempDir dir;
    TestBus tb(TestBus::inProcess({3, 7}), 0.03);
    tb.sim.setFaults(7, {.exceptionCode = 2});
    const std::string port = "--port " + tb.sim.portPath() + " --timeout-ms 20 ";
    const std::string refused = "Device 7 refused the request: exception 2, illegal data address\n";
    const CliRun r = cliLine(port + "read 7", dir, tb);
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.err, refused);
    const CliRun s = cliLine(port + "scan --all", dir, tb);
    EXPECT_EQ(s.code, 0) << s.err;
    EXPECT_EQ(s.out, "3\n");
    EXPECT_EQ(s.err, refused + "device 7 refused\n");
    const CliRun j = cliLine(port + "--json scan --all", dir, tb);
    EXPECT_NE(j.out.find("\"refusing\":[{\"address\":7,\"exception\":2}]"), std::string::npos)
        << j.out;
}
