// The simulator against independent Modbus masters (mbpoll from Debian) and against its own model.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "link/Bus.h"
#include "link/CSerialPort.h"
#include "link/ModbusCrc16.h"
#include "link/RegisterMap.h"
#include "sim/SimBus.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TestBus.h"

namespace {

std::string run(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> p(::popen(command.c_str(), "r"), ::pclose);
    if (!p)
        return out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p.get())) out += buf;
    return out;
}

bool haveMbpoll() {
    return run("command -v mbpoll").find("mbpoll") != std::string::npos;
}

TEST(Simulator, AnswersAnIndependentMasterReadingTheParameterBlock) {
    if (!haveMbpoll())
        GTEST_SKIP() << "mbpoll is not installed";
    SimBus::Options o;
    o.addresses = {7, 12};
    SimBus sim(o);
    // mbpoll counts references from 1: reference 4 is register 3.
    const std::string out =
        run("timeout 10 mbpoll -m rtu -a 7 -b 9600 -P none -t 3 -r 4 -c 19 -1 " + sim.portPath() +
            " 2>&1");
    EXPECT_NE(out.find("[4]: \t7"), std::string::npos) << out;     // register 3: address
    EXPECT_NE(out.find("[8]: \t1600"), std::string::npos) << out;  // register 7: range end
    EXPECT_NE(out.find("[22]: \t0"), std::string::npos) << out;    // register 21: density
}

TEST(Simulator, TakesAWriteOfSeveralRegistersFromAnIndependentMaster) {
    if (!haveMbpoll())
        GTEST_SKIP() << "mbpoll is not installed";
    SimBus::Options o;
    o.addresses = {12};
    SimBus sim(o);
    const std::string out = run("timeout 10 mbpoll -m rtu -a 12 -b 9600 -P none -t 4 -r 29 " +
                                sim.portPath() + " 11 22 33 44 2>&1");
    EXPECT_NE(out.find("Written 4 references"), std::string::npos) << out;
    EXPECT_EQ(*sim.reg(12, 28), 11);
    EXPECT_EQ(*sim.reg(12, 31), 44);
    bool sawMultiple = false;
    for (const auto& f : sim.framesReceived()) sawMultiple |= f.crcOk && f.bytes[1] == 0x10;
    EXPECT_TRUE(sawMultiple);
}

TEST(Simulator, RawReadingFollowsPressureAndMeasuredValueFollowsKAndB) {
    TestBus t({4});
    t.sim.setGainOffset(4, 1000.0, 250.0);
    t.sim.setAppliedPressure(1.5);
    t.open();
    auto raw = t.ctx.bus.readInputRegisters(4, reg::RawReading, 1, Timing::kRegisterWaitMs);
    ASSERT_TRUE(raw.crcOk());
    EXPECT_EQ(raw.reg(0), 1750);
    std::vector<std::uint8_t> kb;
    for (auto b : reg::floatToRegisters(2.0f)) kb.push_back(b);
    for (auto b : reg::floatToRegisters(-500.0f)) kb.push_back(b);
    ASSERT_TRUE(t.ctx.bus.writeRegisters(4, 24, kb, Timing::kRegisterWaitMs).crcOk());
    auto measured = t.ctx.bus.readInputRegisters(4, reg::MeasuredValue, 1, Timing::kRegisterWaitMs);
    ASSERT_TRUE(measured.crcOk());
    EXPECT_EQ(measured.reg(0), 3000);
}

TEST(Simulator, BadCrcAndAbsentAddressesGetSilence) {
    SimBus::Options o;
    o.addresses = {4};
    o.baud = 115200;
    o.latencyMs = 1;
    SimBus sim(o);
    CSerialPort port;
    port.setTiming(testTiming(0.1));
    SerialSettings s;
    s.PortName = sim.portPath();
    ASSERT_TRUE(port.Open(s).ok());

    auto good = buildReadInputRegisters(4, 3, 1);
    appendCrc(good);
    auto bad = good;
    bad.back() ^= 0xFF;
    auto absent = buildReadInputRegisters(5, 3, 1);
    appendCrc(absent);
    auto ask = [&](const std::vector<std::uint8_t>& frame) {
        std::uint8_t answer[7] = {};
        port.Write(frame.data(), static_cast<std::uint32_t>(frame.size()));
        port.Read(answer, 7);
        return std::vector<std::uint8_t>(answer, answer + 7);
    };
    EXPECT_EQ(ask(bad), std::vector<std::uint8_t>(7, 0));
    EXPECT_EQ(ask(absent), std::vector<std::uint8_t>(7, 0));
    const auto answer = ask(good);
    EXPECT_EQ(answer[0], 4);
    EXPECT_TRUE(crcMatches(answer.data(), answer.size()));
    const auto frames = sim.framesReceived();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_FALSE(frames[0].crcOk);
    EXPECT_TRUE(frames[1].crcOk);
}

TEST(Simulator, AddressListsAreChecked) {
    EXPECT_EQ(*parseAddressList("1,7,12"), (std::vector<int>{1, 7, 12}));
    EXPECT_FALSE(parseAddressList("").has_value());
    EXPECT_FALSE(parseAddressList("0").has_value());
    EXPECT_FALSE(parseAddressList("61").has_value());
    EXPECT_FALSE(parseAddressList("3,3").has_value());
    EXPECT_FALSE(parseAddressList("1,x").has_value());
}

}  // namespace

namespace {

// On a half-duplex line a request sent while a device is still answering collides with it.
TEST(Simulator, FlagsARequestSentWhileADeviceIsStillAnswering) {
    TestBus t({1, 2}, 0.05, 9600, 5.0);
    t.open();
    ASSERT_TRUE(t.ctx.bus.readInputRegisters(1, 3, 1, Timing::kRegisterWaitMs).crcOk());
    ASSERT_TRUE(t.ctx.bus.readInputRegisters(2, 3, 1, Timing::kRegisterWaitMs).crcOk());
    // Commands sent back to back without waiting for the echo.
    t.ctx.bus.send(buildWriteSingle(1, 40, 1));
    t.ctx.bus.send(buildWriteSingle(2, 40, 1));
    for (int i = 0; i < 100 && t.sim.framesReceived().size() < 4; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto frames = t.sim.framesReceived();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_FALSE(frames[0].collided);
    EXPECT_FALSE(frames[1].collided);  // the first answer was in before the second request
    EXPECT_FALSE(frames[2].collided);
    EXPECT_TRUE(frames[3].collided);
}

}  // namespace

namespace {

TEST(Simulator, FaultsNamedOnTheCommandLineAddUpPerDevice) {
    std::map<int, SimFaults> faults;
    for (const char* good : {"7:late=1300", "7:bad-crc", "3:silent", "5:short", "5:garbage",
                             "9:stream=2000", "9:refuse", "4:exception=2"})
        EXPECT_TRUE(parseFault(good, faults)) << good;
    EXPECT_EQ(faults[7].lateMs, 1300);
    EXPECT_TRUE(faults[7].badCrc);
    EXPECT_TRUE(faults[3].silent);
    EXPECT_TRUE(faults[5].shortAnswer && faults[5].garbage);
    EXPECT_EQ(faults[9].streamMs, 2000);
    EXPECT_TRUE(faults[9].refuse);
    EXPECT_EQ(faults[4].exceptionCode, 2);
    const auto before = faults.size();
    for (const char* bad :
         {"7", "7:", "61:silent", "0:silent", "7:late", "7:late=", "7:late=x", "7:silent=5",
          "7:slow", "x:silent", "7:stream=0", "7:exception", "7:exception=0", "7:exception=256"})
        EXPECT_FALSE(parseFault(bad, faults)) << bad;
    EXPECT_EQ(faults.size(), before);
}

TEST(Simulator, ProgramRefusesOptionsThatAreNotWhollyValid) {
    for (const char* args : {"--baud 9600abc", "--baud 0", "--devices 1,61", "--fault 7:slow",
                             "--fault 7:late", "--counting 0", "--latency-ms 5ms"}) {
        const std::string command =
            std::string("timeout 5 ") + KORV_SIM_PATH + " --devices 1 " + args + " 2>&1";
        std::unique_ptr<FILE, int (*)(FILE*)> p(::popen(command.c_str(), "r"), ::pclose);
        ASSERT_TRUE(p);
        char buf[512];
        std::string out;
        while (std::fgets(buf, sizeof buf, p.get())) out += buf;
        const int status = ::pclose(p.release());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << args;
        EXPECT_NE(out.find("usage:"), std::string::npos) << args;
    }
}

ExchangeResult readMeasured(TestBus& t, int address) {
    return t.ctx.bus.readInputRegisters(static_cast<std::uint8_t>(address), 23, 1,
                                        Timing::kRegisterWaitMs);
}

TEST(Simulator, CountingDeviceNamesTheReadEachAnswerBelongsTo) {
    TestBus t({2, 4});
    t.sim.setCountingReads(4, true);
    t.open();
    for (std::uint16_t i = 1; i <= 3; ++i) EXPECT_EQ(readMeasured(t, 4).reg(0), i);
    // Reads that leave register 23 out, and other devices, do not count.
    EXPECT_TRUE(t.ctx.bus.readInputRegisters(4, 3, 19, Timing::kSearchWaitMs).crcOk());
    EXPECT_TRUE(readMeasured(t, 2).crcOk());
    EXPECT_EQ(readMeasured(t, 4).reg(0), 4);
}

TEST(Simulator, FaultsShapeWhatTheDeviceSends) {
    TestBus t({4, 5, 6});
    SimFaults refuse;
    refuse.refuse = true;
    t.sim.setFaults(4, refuse);
    SimFaults lateEveryOther;
    lateEveryOther.lateMs = 200;
    lateEveryOther.lateEvery = 2;
    t.sim.setFaults(5, lateEveryOther);
    SimFaults stream;
    stream.streamMs = 300;
    t.sim.setFaults(6, stream);
    t.open();

    const auto refused = readMeasured(t, 4);
    EXPECT_TRUE(refused.refused);
    EXPECT_FALSE(refused.crcOk());

    EXPECT_FALSE(readMeasured(t, 5).crcOk());  // the first answer is late
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_TRUE(readMeasured(t, 5).crcOk());  // the second in time

    // A stream: at 115200 baud, 300 ms of bytes, none of them an answer.
    CSerialPort port;
    port.setTiming(testTiming(1.0));
    t.ctx.bus.Close();
    ASSERT_TRUE(port.Open(t.settings()).ok());
    auto request = buildReadInputRegisters(6, 23, 1);
    appendCrc(request);
    port.Write(request.data(), static_cast<std::uint32_t>(request.size()));
    std::vector<std::uint8_t> rx;
    port.readUntil(rx, std::chrono::steady_clock::now() + std::chrono::milliseconds(200),
                   [](const std::vector<std::uint8_t>&) { return false; });
    EXPECT_GT(rx.size(), 1000u);
    EXPECT_EQ(rx[0], 6);
}

// What real adapters and devices bring, played on the terminal byte for byte.
// On its terminal and on the in-process line alike.
TEST(Simulator, PlaysTheLinesOfRealAdapters) {
    for (const bool inProcess : {false, true}) {
        SCOPED_TRACE(inProcess ? "in-process" : "terminal");
        SimBus::Options o = TestBus::inProcess({3}, 9600, 2.0);
        if (!inProcess)
            o.clock = nullptr;
        o.strictSilence = true;
        o.echo = true;
        o.chunks = true;
        SimBus sim(o);
        sim.setFaults(3, {.exceptionCode = 2});
        CSerialPort port;
        port.setTiming(testTiming(1.0));
        if (inProcess)
            port.attachLine(sim.line(), o.clock);
        SerialSettings s;
        s.PortName = sim.portPath();
        ASSERT_TRUE(port.Open(s).ok());
        auto request = buildReadInputRegisters(3, 23, 1);
        appendCrc(request);
        // Two requests in one write: the second begins with no silence after the first and is
        // lost.
        std::vector<std::uint8_t> twice = request;
        twice.insert(twice.end(), request.begin(), request.end());
        port.Write(twice.data(), static_cast<std::uint32_t>(twice.size()));
        std::vector<std::uint8_t> rx;
        std::size_t pieces = 0;
        port.readUntil(rx, port.now() + std::chrono::milliseconds(600),
                       [&](const std::vector<std::uint8_t>&) {
                           ++pieces;
                           return false;
                       });
        // Both requests echoed, then one exception answer with the code asked for.
        std::vector<std::uint8_t> refusal{3, 0x84, 2};
        appendCrc(refusal);
        std::vector<std::uint8_t> expected = twice;
        expected.insert(expected.end(), refusal.begin(), refusal.end());
        EXPECT_EQ(rx, expected);
        const auto frames = sim.framesReceived();
        ASSERT_EQ(frames.size(), 2u);
        EXPECT_FALSE(frames[0].tooSoon);
        EXPECT_TRUE(frames[1].tooSoon);
        // A whole block comes in pieces later than its wire time, and the simulator says how
        // much.
        sim.setFaults(3, {});
        auto block = buildReadInputRegisters(3, 3, 19);
        appendCrc(block);
        port.Write(block.data(), static_cast<std::uint32_t>(block.size()));
        rx.clear();
        pieces = 0;
        port.readUntil(rx, port.now() + std::chrono::milliseconds(900),
                       [&](const std::vector<std::uint8_t>& r) {
                           ++pieces;
                           return r.size() >= 8 + 43;
                       });
        ASSERT_EQ(rx.size(), 8u + 43u);
        EXPECT_TRUE(crcMatches(rx.data() + 8, 43));
        EXPECT_GE(pieces, 1 + 51 / 8);
        EXPECT_GT(sim.handoverDelay().count(), 0);
    }
}

TEST(Simulator, LineHangsUpAfterTheRequestsItWasToldOf) {
    TestBus t({3});
    t.open();
    t.sim.hangUpAfter(2);
    EXPECT_TRUE(readMeasured(t, 3).crcOk());
    const auto second = readMeasured(t, 3);
    EXPECT_FALSE(second.status.ok());
    EXPECT_EQ(t.sim.framesReceived().size(), 2u);  // it took the request, then the line went
    EXPECT_EQ(t.messages.texts().size(), 1u);
    EXPECT_EQ(t.messages.texts()[0].rfind("Error Code5", 0), 0u);
}

}  // namespace
