// The simulator against independent Modbus masters (mbpoll from Debian) and against its own model.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "link/Bus.h"
#include "link/CSerialPort.h"
#include "link/ModbusCrc16.h"
#include "link/RegisterMap.h"
#include "sim/SimBus.h"
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
    RecordingMessages m;
    CSerialPort port(m);
    port.setTiming(testTiming(0.1));
    SerialSettings s;
    s.PortName = sim.portPath();
    ASSERT_EQ(port.Open(s), 1);

    auto good = buildReadInputRegisters(4, 3, 1);
    AppendCrc(good);
    auto bad = good;
    bad.back() ^= 0xFF;
    auto absent = buildReadInputRegisters(5, 3, 1);
    AppendCrc(absent);
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
    EXPECT_TRUE(CrcMatches(answer.data(), answer.size()));
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
