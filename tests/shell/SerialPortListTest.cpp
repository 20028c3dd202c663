#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/SerialPortList.h"
#include "tests/support/TestBus.h"

namespace fs = std::filesystem;

namespace {
void touch(const fs::path& p) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "";
}
void uartType(const fs::path& sys, const std::string& name, const std::string& type) {
    fs::create_directories(sys / "class" / "tty" / name);
    std::ofstream(sys / "class" / "tty" / name / "type") << type << "\n";
}
}  // namespace

TEST(SerialPortList, OffersAdaptersAndKnownUartsInNaturalOrder) {
    TempDir tmp;
    const fs::path dev = fs::path(tmp.path()) / "dev", sys = fs::path(tmp.path()) / "sys";
    for (const char* n : {"ttyS0", "ttyS1", "ttyS10", "ttyS2", "ttyUSB10", "ttyUSB2", "ttyACM0",
                          "tty0", "ttyprintk", "ttyS"})
        touch(dev / n);
    touch(dev / "serial" / "by-id" / "usb-FTDI_FT232R-if00-port0");
    uartType(sys, "ttyS0", "4");
    uartType(sys, "ttyS1", "0");  // a node without a UART behind it
    uartType(sys, "ttyS2", "4");
    uartType(sys, "ttyS10", "4");

    const auto ports = listSerialPorts(dev, sys);
    const std::vector<std::string> expected{
        (dev / "ttyS0").string(),
        (dev / "ttyS2").string(),
        (dev / "ttyS10").string(),
        (dev / "ttyUSB2").string(),
        (dev / "ttyUSB10").string(),
        (dev / "ttyACM0").string(),
        (dev / "serial/by-id/usb-FTDI_FT232R-if00-port0").string()};
    EXPECT_EQ(ports, expected);
}

TEST(SerialPortList, KeepsAUartWhoseTypeCannotBeRead) {
    TempDir tmp;
    const fs::path dev = fs::path(tmp.path()) / "dev";
    touch(dev / "ttyS4");
    EXPECT_EQ(listSerialPorts(dev, fs::path(tmp.path()) / "nosys"),
              std::vector<std::string>{(dev / "ttyS4").string()});
}

TEST(SerialPortList, MissingDirectoriesGiveNoPorts) {
    EXPECT_TRUE(listSerialPorts("/nonexistent-dev", "/nonexistent-sys").empty());
}

TEST(SerialPortList, ClassicNamesAreCom1ToCom8) {
    const auto names = classicPortNames();
    ASSERT_EQ(names.size(), 8u);
    EXPECT_EQ(names.front(), "COM1");
    EXPECT_EQ(names.back(), "COM8");
}

// "COM1" and "/dev/ttyS0" were offered as two ports, though both open the same one.
TEST(SerialPortList, MoreChoicesLeaveOutWhatAClassicNameOpensAndRepeats) {
    const std::vector<std::string> found{"/dev/ttyS0",   "/dev/ttyS7",   "/dev/ttyS8",
                                         "/dev/ttyUSB0", "/dev/ttyUSB0", "/dev/pts/3"};
    EXPECT_EQ(portChoicesBeyond(found),
              (std::vector<std::string>{"/dev/ttyS8", "/dev/ttyUSB0", "/dev/pts/3"}));
    EXPECT_TRUE(portChoicesBeyond({}).empty());
}
