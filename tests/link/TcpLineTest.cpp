// RTU frames over TCP: the port names, the simulator behind its TCP server, a dropped
// connection, a refused one, and two independent peers (socat bridging to the simulator's
// terminal, pymodbus serving RTU frames over TCP).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>

#include "link/Bus.h"
#include "link/RegisterMap.h"
#include "link/TcpLine.h"
#include "sim/SimTcpServer.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LoopbackPort.h"
#include "tests/support/TestBus.h"

namespace {

ExchangeResult readBlock(Bus& bus, int address) {
    return bus.readInputRegisters(static_cast<std::uint8_t>(address), reg::kBlockFirst,
                                  reg::kBlockCount, Timing::kScanWaitMs);
}

int freePort() {
    return freeLoopbackPort();
}

std::string tcpName(int port) {
    return "tcp:127.0.0.1:" + std::to_string(port);
}

// The test bus's context, opened on `name` instead of the terminal.
bool openOn(TestBus& t, const std::string& name, int timeoutMs = 0) {
    SerialSettings s = t.settings();
    s.PortName = name;
    s.ResponseTimeoutMs = timeoutMs;
    return t.ctx.openPort(s).ok();
}

TEST(TcpLine, PortNamesAreParsed) {
    const struct {
        const char* name;
        bool ok;
        const char* host;
        const char* port;
    } cases[] = {
        {"tcp:127.0.0.1:502", true, "127.0.0.1", "502"},
        {"tcp:server.local:65535", true, "server.local", "65535"},
        {"tcp:[::1]:5020", true, "::1", "5020"},
        {"tcp:", false, "", ""},
        {"tcp:host", false, "", ""},
        {"tcp:host:", false, "", ""},
        {"tcp::502", false, "", ""},
        {"tcp:host:0", false, "", ""},
        {"tcp:host:65536", false, "", ""},
        {"tcp:host:50a", false, "", ""},
        {"tcp:host:+50", false, "", ""},
        {"tcp:::1:502", false, "", ""},
        {"tcp:[]:502", false, "", ""},
        {"/dev/ttyUSB0", false, "", ""},
        {"TCP:host:502", false, "", ""},
    };
    for (const auto& c : cases) {
        const auto a = parseTcpPortName(c.name);
        EXPECT_EQ(a.has_value(), c.ok) << c.name;
        if (a && c.ok) {
            EXPECT_EQ(a->host, c.host) << c.name;
            EXPECT_EQ(a->port, c.port) << c.name;
        }
    }
}

TEST(TcpLine, TheSimulatedBusAnswersOverTcp) {
    TestBus t({1, 7});
    SimTcpServer server(t.sim.portPath());
    ASSERT_TRUE(openOn(t, server.portName()));
    EXPECT_EQ(t.messages.texts(), std::vector<std::string>{"System initialization, open the "
                                                           "serial port " +
                                                           server.portName() + " Success!"});
    for (int a : {1, 7}) {
        const auto r = readBlock(t.ctx.bus, a);
        ASSERT_TRUE(r.crcOk()) << a;
        EXPECT_EQ(r.reg(0), a);
    }
    EXPECT_EQ(readBlock(t.ctx.bus, 2).received, 0u);
    // A write is answered and lands in the device.
    std::vector<std::uint8_t> kb;
    for (float v : {1.5f, -2.0f})
        for (std::uint8_t b : reg::floatToRegisters(v)) kb.push_back(b);
    EXPECT_TRUE(t.ctx.bus.writeRegisters(7, 24, kb, Timing::kRegisterWaitMs).crcOk());
    const auto coefficients = t.sim.coefficients(7);
    ASSERT_TRUE(coefficients);
    EXPECT_EQ(coefficients->first, 1.5f);
    EXPECT_EQ(coefficients->second, -2.0f);
}

TEST(TcpLine, AResponseTimeOutInMillisecondsWorksOverTcp) {
    TestBus t({3});
    SimTcpServer server(t.sim.portPath());
    ASSERT_TRUE(openOn(t, server.portName(), 50));
    EXPECT_EQ(t.ctx.bus.responseTimeoutMs(), 50);
    EXPECT_TRUE(readBlock(t.ctx.bus, 3).crcOk());
    const auto silent = readBlock(t.ctx.bus, 4);
    EXPECT_TRUE(silent.status.ok());
    EXPECT_EQ(silent.received, 0u);
}

TEST(TcpLine, BytesLeftOnTheConnectionAreDroppedBeforeTheNextRequest) {
    TestBus t({1, 7});
    SimTcpServer server(t.sim.portPath());
    ASSERT_TRUE(openOn(t, server.portName()));
    FrameRecorder frames;
    t.ctx.bus.addObserver(&frames);
    SimFaults late;
    late.lateMs = 100;  // after the shrunk window of about 80 ms
    t.sim.setFaults(7, late);
    EXPECT_FALSE(readBlock(t.ctx.bus, 7).crcOk());
    std::this_thread::sleep_for(std::chrono::milliseconds(60));  // the late answer is in
    frames.clear();
    const auto r = readBlock(t.ctx.bus, 1);
    t.ctx.bus.removeObserver(&frames);
    ASSERT_TRUE(r.crcOk());
    EXPECT_EQ(r.reg(0), 1);
    const auto f = frames.frames();
    ASSERT_FALSE(f.empty());
    EXPECT_EQ(f[0].outcome, FrameOutcome::Discarded);
    EXPECT_EQ(f[0].bytes.at(0), 7);
}

TEST(TcpLine, ADroppedConnectionIsAHangUp) {
    TestBus t({1});
    SimTcpServer server(t.sim.portPath());
    const std::string name = server.portName();
    ASSERT_TRUE(openOn(t, name));
    ASSERT_TRUE(readBlock(t.ctx.bus, 1).crcOk());
    t.messages.clear();
    t.sim.hangUp();
    EXPECT_FALSE(readBlock(t.ctx.bus, 1).status.ok());
    EXPECT_EQ(t.ctx.bus.state(), CSerialPort::State::Closed);
    const auto texts = t.messages.texts();
    ASSERT_EQ(texts.size(), 1u);
    // Whether the write or the read meets the end first depends on the peer's timing.
    EXPECT_TRUE(texts[0] == "Error Code5read serial operation failed!" ||
                texts[0] == "Error Code5,Write serial operation failed!")
        << texts[0];
    EXPECT_EQ(t.messages.lastStatus(), "The serial port " + name + " is closed: the line hung up.");
    // Later exchanges find the port closed, as after an unplugged adapter.
    t.messages.clear();
    EXPECT_FALSE(readBlock(t.ctx.bus, 1).status.ok());
    EXPECT_EQ(t.messages.texts(), std::vector<std::string>{CSerialPort::kWriteNotOpen});
}

TEST(TcpLine, AConnectionThatCannotBeMadeSaysWhy) {
    TestBus t({1});
    const int port = freePort();
    const struct {
        std::string name;
        std::string detail;
    } cases[] = {
        {tcpName(port),
         "No connection to 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(ECONNREFUSED)},
        {"tcp:nowhere",
         "tcp:nowhere is not a TCP port name: write tcp:HOST:PORT with a port from 1 to 65535."},
    };
    for (const auto& c : cases) {
        t.messages.clear();
        EXPECT_FALSE(openOn(t, c.name)) << c.name;
        const auto e = t.messages.entries();
        ASSERT_EQ(e.size(), 1u);
        EXPECT_EQ(e[0].text, "System initialization, open the serial port error!");
        EXPECT_EQ(e[0].detail, c.detail);
        EXPECT_EQ(t.messages.lastStatus(), c.detail);
        EXPECT_EQ(t.ctx.bus.lastOpenFailure(), c.detail);
        EXPECT_EQ(t.ctx.bus.state(), CSerialPort::State::Closed);
    }
}

bool installed(const char* path) {
    return ::access(path, X_OK) == 0;
}

TEST(TcpLine, SocatBridgingTheSimulatorsTerminalIsAPeer) {
    if (!installed("/usr/bin/socat"))
        GTEST_SKIP() << "socat is not installed";
    TestBus t({4, 9});
    const int port = freePort();
    ChildProcess socat({"/usr/bin/socat", "-d", "-d",
                        "TCP-LISTEN:" + std::to_string(port) + ",bind=127.0.0.1,reuseaddr",
                        "FILE:" + t.sim.portPath() + ",raw,echo=0"});
    ASSERT_NE(socat.waitForLine("listening on"), "");
    ASSERT_TRUE(openOn(t, tcpName(port), 50));
    for (int a : {4, 9}) {
        const auto r = readBlock(t.ctx.bus, a);
        ASSERT_TRUE(r.crcOk()) << a;
        EXPECT_EQ(r.reg(0), a);
    }
    EXPECT_EQ(readBlock(t.ctx.bus, 5).received, 0u);
    t.ctx.bus.Close();
}

TEST(TcpLine, PymodbusIsAPeer) {
    if (!installed("/usr/bin/python3"))
        GTEST_SKIP() << "python3 is not installed";
    if (std::system("/usr/bin/python3 -c 'import pymodbus.server' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3-pymodbus (with python3-serial-asyncio) is not installed";
    ChildProcess peer({"/usr/bin/python3", std::string(KORV_TESTS_DIR) + "/link/modbus_peer.py"});
    const std::string line = peer.waitForLine("listening on");
    ASSERT_NE(line, "");
    const std::string port = line.substr(line.rfind(' ') + 1);

    TestBus t({});
    FrameRecorder frames;
    t.ctx.bus.addObserver(&frames);
    ASSERT_TRUE(openOn(t, "tcp:127.0.0.1:" + port, 200));
    const auto block = readBlock(t.ctx.bus, 1);
    ASSERT_TRUE(block.crcOk());
    for (std::size_t i = 0; i < reg::kBlockCount; ++i) EXPECT_EQ(block.reg(i), 1003 + i);
    // Its echo of a write of four registers.
    const std::vector<std::uint8_t> data{0, 1, 0, 2, 0, 3, 0, 4};
    const auto echo = t.ctx.bus.writeRegisters(2, 24, data, Timing::kRegisterWaitMs);
    ASSERT_TRUE(echo.crcOk());
    EXPECT_EQ(echo.answer[0], 2);
    EXPECT_EQ(echo.answer[5], 4);
    // A register it does not have: its exception answer.
    const auto refused = t.ctx.bus.readInputRegisters(1, 100, 1, Timing::kRegisterWaitMs);
    EXPECT_TRUE(refused.refused);
    t.ctx.bus.removeObserver(&frames);
    const auto f = frames.frames();
    ASSERT_FALSE(f.empty());
    EXPECT_EQ(f.back().outcome, FrameOutcome::Refused);
    EXPECT_EQ(t.ctx.bus.health().at(1).refusals, 1u);
    EXPECT_EQ(t.ctx.bus.health().at(1).answers, 1u);
    t.ctx.bus.Close();
}

}  // namespace
