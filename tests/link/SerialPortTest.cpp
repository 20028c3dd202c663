// The serial port against a pseudo-terminal whose far end the test holds: silence, partial
// answers, hang-ups, and the messages of each state.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "link/CSerialPort.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TestBus.h"

namespace {

using Ms = std::chrono::milliseconds;

struct Pty {
    int master = -1;
    std::string path;
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master);
        ::unlockpt(master);
        path = ::ptsname(master);
    }
    ~Pty() {
        if (master >= 0)
            ::close(master);
    }
    void send(const std::vector<std::uint8_t>& bytes) const {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void hangUp() {
        ::close(master);
        master = -1;
    }
};

SerialSettings settingsFor(const std::string& path) {
    SerialSettings s;
    s.PortName = path;
    return s;
}

double msSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

TEST(SerialPort, NeverOpenedClosedAndOpenStatesSpeakAsTheOperatorExpects) {
    RecordingMessages m;
    CSerialPort port;
    std::uint8_t buf[8] = {};
    EXPECT_EQ(told(m, port.Read(buf, 8)), 0);
    EXPECT_EQ(told(m, port.Write(buf, 8)), 0);
    EXPECT_EQ(m.texts(), (std::vector<std::string>{
                             "The serial port is not open, read serial operation failed!",
                             "The serial port is not open,Write serial operation failed!"}));
    m.clear();
    // Closing a never-opened port still reports; it then counts as closed.
    EXPECT_EQ(told(m, port.Close()), 1);
    EXPECT_EQ(told(m, port.Close()), 0);
    ASSERT_EQ(m.entries().size(), 2u);
    for (const auto& e : m.entries()) {
        EXPECT_EQ(e.text, "The serial port is closed ");
        EXPECT_EQ(e.icon, MessageIcon::Exclamation);
    }
    m.clear();
    EXPECT_EQ(told(m, port.Read(buf, 8)), 0);  // closed: silent
    EXPECT_EQ(told(m, port.Write(buf, 8)), 0);
    EXPECT_TRUE(m.texts().empty());

    Pty pty;
    EXPECT_EQ(told(m, port.Open(settingsFor(pty.path))), 1);
    ASSERT_EQ(m.entries().size(), 1u);
    EXPECT_EQ(m.entries()[0].text,
              "System initialization, open the serial port " + pty.path + " Success!");
    EXPECT_EQ(m.entries()[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(port.isOpen());
}

TEST(SerialPort, OpenFailureKeepsItsMessageAndAddsTheReason) {
    RecordingMessages m;
    CSerialPort port;
    EXPECT_EQ(told(m, port.Open(settingsFor("/dev/does-not-exist-korv"))), 0);
    ASSERT_EQ(m.entries().size(), 1u);
    EXPECT_EQ(m.entries()[0].text, "System initialization, open the serial port error!");
    EXPECT_EQ(m.entries()[0].icon, MessageIcon::Exclamation);
    EXPECT_NE(m.entries()[0].detail.find("No such device"), std::string::npos);
    EXPECT_EQ(port.state(), CSerialPort::State::Closed);
    std::uint8_t b[1];
    EXPECT_EQ(told(m, port.Read(b, 1)), 0);  // closed after a failed open: silent
    EXPECT_EQ(m.entries().size(), 1u);

    TempDir dir;  // a plain file is not a serial port
    writeFileBytes(dir.file("plain"), "x");
    EXPECT_EQ(told(m, port.Open(settingsFor(dir.file("plain")))), 0);
    EXPECT_NE(port.lastOpenFailure().find("not a serial port"), std::string::npos);
}

TEST(SerialPort, SecondOpenOfTheSamePortIsRefusedAsBusy) {
    Pty pty;
    RecordingMessages m;
    CSerialPort first, second;
    ASSERT_EQ(told(m, first.Open(settingsFor(pty.path))), 1);
    EXPECT_EQ(told(m, second.Open(settingsFor(pty.path))), 0);
    EXPECT_NE(second.lastOpenFailure().find("busy"), std::string::npos);
    told(m, first.Close());
    EXPECT_EQ(told(m, second.Open(settingsFor(pty.path))), 1);
}

TEST(SerialPort, ComNamesMapToLinuxSerialDevices) {
    EXPECT_EQ(CSerialPort::resolvePortPath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(CSerialPort::resolvePortPath("COM8"), "/dev/ttyS7");
    EXPECT_EQ(CSerialPort::resolvePortPath("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(CSerialPort::resolvePortPath("com1"), "com1");
}

TEST(SerialPort, SilentLineReadSucceedsAfterItsTimeOutWithBufferUnchanged) {
    Pty pty;
    RecordingMessages m;
    CSerialPort port;
    Timing t;
    t.scale = 0.1;  // 10 n + 500 ms for 7 bytes: 57 ms
    port.setTiming(t);
    ASSERT_EQ(told(m, port.Open(settingsFor(pty.path))), 1);
    std::uint8_t buf[7] = {9, 9, 9, 9, 9, 9, 9};
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(told(m, port.Read(buf, 7)), 1);
    const double took = msSince(t0);
    EXPECT_GE(took, 50.0);
    EXPECT_LT(took, 1000.0);
    for (auto b : buf) EXPECT_EQ(b, 9);
}

TEST(SerialPort, PartialAnswerIsReturnedWithSuccess) {
    Pty pty;
    RecordingMessages m;
    CSerialPort port;
    Timing t;
    t.scale = 0.1;
    port.setTiming(t);
    ASSERT_EQ(told(m, port.Open(settingsFor(pty.path))), 1);
    pty.send({1, 4, 2});
    std::uint8_t buf[7] = {};
    EXPECT_EQ(told(m, port.Read(buf, 7)), 1);
    EXPECT_EQ(buf[0], 1);
    EXPECT_EQ(buf[2], 2);
    EXPECT_EQ(buf[3], 0);
}

TEST(SerialPort, FullAnswerReturnsBeforeTheTimeOut) {
    Pty pty;
    RecordingMessages m;
    CSerialPort port;  // real time-outs: 570 ms for 7 bytes
    ASSERT_EQ(told(m, port.Open(settingsFor(pty.path))), 1);
    pty.send({1, 4, 2, 0, 5, 0xAA, 0xBB});
    std::uint8_t buf[7] = {};
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(told(m, port.Read(buf, 7)), 1);
    EXPECT_LT(msSince(t0), 400.0);
    EXPECT_EQ(buf[6], 0xBB);
}

TEST(SerialPort, HangUpIsAFailedReadThatClosesThePort) {
    Pty pty;
    RecordingMessages m;
    CSerialPort port;
    ASSERT_EQ(told(m, port.Open(settingsFor(pty.path))), 1);
    m.clear();
    pty.hangUp();
    std::uint8_t buf[7] = {};
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(told(m, port.Read(buf, 7)), 0);
    EXPECT_LT(msSince(t0), 400.0);  // at once, not after a time-out
    EXPECT_EQ(m.texts(), std::vector<std::string>{"Error Code5read serial operation failed!"});
    EXPECT_EQ(port.state(), CSerialPort::State::Closed);
    m.clear();
    EXPECT_EQ(told(m, port.Write(buf, 7)), 0);  // every later call stops silently
    EXPECT_EQ(told(m, port.Read(buf, 7)), 0);
    EXPECT_TRUE(m.texts().empty());
}

// The far end of a pseudo-terminal outlives our descriptor: an exclusive mode left behind made
// every later Open fail as "busy" for everyone but root.
TEST(SerialPort, CloseLeavesTheTerminalOpenableByAnyone) {
    Pty pty;
    const int other = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    RecordingMessages m;
    CSerialPort port;
    int exclusive = -1;
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(told(m, port.Open(settingsFor(pty.path))), 1) << round;
        ASSERT_EQ(::ioctl(other, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 1) << "open ports are exclusive";
        told(m, port.Close());
        ASSERT_EQ(::ioctl(other, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 0) << "round " << round;
    }
    ::close(other);
}

// What the wire time is computed from. A pseudo-terminal runs any rate but keeps 8N1 whatever
// is asked, which is what the port then reports.
TEST(SerialPort, ReportsTheLineTheDriverRuns) {
    Pty pty;
    RecordingMessages m;
    CSerialPort port;
    SerialSettings s = settingsFor(pty.path);
    for (int baud : {1200, 9600, 115200}) {
        s.BaudRate = baud;
        s.Parity = "even parity";
        ASSERT_EQ(told(m, port.Open(s)), 1);
        EXPECT_EQ(port.baudRate(), baud);
        EXPECT_EQ(port.bitsPerCharacter(), 10);
        told(m, port.Close());
    }
    // A rate outside the list keeps the driver's.
    s.BaudRate = 14400;
    ASSERT_EQ(told(m, port.Open(s)), 1);
    EXPECT_EQ(port.baudRate(), 115200);
}

// Flow control left on the port by another program was kept: CRTSCTS on an adapter without CTS
// blocks every write, IXOFF and IXON take 0x11 and 0x13 out of the answers.
TEST(SerialPort, OpenDefinesTheWholeRawModeWhateverWasSetBefore) {
    Pty pty;
    const int other = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    termios dirty{};
    ASSERT_EQ(::tcgetattr(other, &dirty), 0);
    dirty.c_cflag |= CRTSCTS | HUPCL;
    dirty.c_cflag &= ~(CLOCAL | CREAD);
    dirty.c_iflag |= IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT | PARMRK;
    dirty.c_oflag |= OPOST | ONLCR;
    dirty.c_lflag |= ECHO | ICANON | ISIG | IEXTEN;
    ASSERT_EQ(::tcsetattr(other, TCSANOW, &dirty), 0);
    RecordingMessages m;
    CSerialPort port;
    ASSERT_EQ(told(m, port.Open(settingsFor(pty.path))), 1);
    termios now{};
    ASSERT_EQ(::tcgetattr(other, &now), 0);
    EXPECT_EQ(now.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(now.c_cflag & HUPCL, 0u);
    EXPECT_EQ(now.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(now.c_iflag & ~static_cast<tcflag_t>(INPCK), 0u);
    EXPECT_EQ(now.c_oflag, 0u);
    EXPECT_EQ(now.c_lflag, 0u);
    EXPECT_EQ(now.c_cc[VMIN], 0);
    EXPECT_EQ(now.c_cc[VTIME], 0);
    told(m, port.Close());
    ::close(other);
}

// A pseudo-terminal, like a USB adapter, has no RS-485 mode: asked for it, the port says so and
// stays closed rather than sending with nobody switching the transceiver.
TEST(SerialPort, Rs485ModeThatTheDriverLacksKeepsThePortClosed) {
    Pty pty;
    RecordingMessages m;
    CSerialPort port;
    SerialSettings s = settingsFor(pty.path);
    s.Rs485 = true;
    EXPECT_EQ(told(m, port.Open(s)), 0);
    EXPECT_FALSE(port.isOpen());
    const std::string why = pty.path + " has no RS-485 mode (" + std::strerror(ENOTTY) +
                            "): use the adapter's own direction control.";
    EXPECT_EQ(port.lastOpenFailure(), why);
    ASSERT_EQ(m.entries().size(), 1u);
    EXPECT_EQ(m.entries()[0].text, "System initialization, open the serial port error!");
    EXPECT_EQ(m.entries()[0].detail, why);
    // The same setting over TCP: the device server drives its own line.
    s.PortName = "tcp:127.0.0.1:9";
    EXPECT_EQ(told(m, port.Open(s)), 0);
    EXPECT_NE(port.lastOpenFailure().find("has no RS-485 mode"), std::string::npos);
    // Without it the terminal opens as always.
    s.PortName = pty.path;
    s.Rs485 = false;
    EXPECT_EQ(told(m, port.Open(s)), 1);
}

// A device streaming bytes kept the read going past its deadline for as long as bytes waited.
TEST(SerialPort, ReadKeepsItsDeadlineWhileBytesKeepComing) {
    Pty pty;
    RecordingMessages m;
    CSerialPort port;
    ASSERT_EQ(told(m, port.Open(settingsFor(pty.path))), 1);
    std::atomic<bool> stop{false};
    std::thread streamer([&] {
        const std::vector<std::uint8_t> chunk(64, 0x55);
        const auto until = std::chrono::steady_clock::now() + Ms(3000);
        while (!stop && std::chrono::steady_clock::now() < until) {
            if (::write(pty.master, chunk.data(), chunk.size()) < 0)
                break;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });
    std::vector<std::uint8_t> rx;
    const auto t0 = std::chrono::steady_clock::now();
    // A slow look at each chunk, so that more bytes are always waiting when it is done.
    const int ok = told(m, port.readUntil(rx, t0 + Ms(100), [](const std::vector<std::uint8_t>&) {
        std::this_thread::sleep_for(Ms(2));
        return false;
    }));
    const double took = msSince(t0);
    stop = true;
    streamer.join();
    EXPECT_EQ(ok, 1);
    EXPECT_FALSE(rx.empty());
    EXPECT_LT(took, 400.0);
}

TEST(SerialPort, InterruptEndsAWaitAtOnceAndSilently) {
    Pty pty;
    RecordingMessages m;
    CSerialPort port;
    ASSERT_EQ(told(m, port.Open(settingsFor(pty.path))), 1);
    m.clear();
    std::thread interrupter([&] {
        std::this_thread::sleep_for(Ms(50));
        port.interrupt();
    });
    std::vector<std::uint8_t> rx;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(told(m, port.readUntil(rx, t0 + Ms(3000),
                                     [](const std::vector<std::uint8_t>&) { return false; })),
              0);
    EXPECT_LT(msSince(t0), 1000.0);
    interrupter.join();
    EXPECT_TRUE(m.texts().empty());
    EXPECT_TRUE(port.isOpen());
    port.clearInterrupt();
    const auto t1 = std::chrono::steady_clock::now();
    EXPECT_EQ(told(m, port.readUntil(rx, t1 + Ms(60),
                                     [](const std::vector<std::uint8_t>&) { return false; })),
              1);
    EXPECT_GE(msSince(t1), 55.0);
}

TEST(SerialPort, OpenDiscardsWhatWaitedInTheDriver) {
    Pty pty;
    // Raw mode first so the test's bytes are not taken for line editing.
    int keeper = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    ::tcgetattr(keeper, &tio);
    cfmakeraw(&tio);
    ::tcsetattr(keeper, TCSANOW, &tio);
    pty.send({0x11, 0x22, 0x33});
    std::this_thread::sleep_for(Ms(20));
    RecordingMessages m;
    CSerialPort port;
    Timing t;
    t.scale = 0.1;
    port.setTiming(t);
    ASSERT_EQ(told(m, port.Open(settingsFor(pty.path))), 1);
    std::uint8_t buf[3] = {};
    EXPECT_EQ(told(m, port.Read(buf, 3)), 1);
    EXPECT_EQ(buf[0], 0);
    ::close(keeper);
}

}  // namespace
