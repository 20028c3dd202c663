// korvelantis-sim --tcp: the simulated bus served on 127.0.0.1, one connection after another.
#include <gtest/gtest.h>

#include "link/RegisterMap.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TestBus.h"

namespace {

TEST(SimulatorTcp, ServesTheBusOnTheLoopbackPortItPrints) {
    ChildProcess sim(
        {KORV_SIM_PATH, "--devices", "2,5", "--baud", "115200", "--latency-ms", "1", "--tcp", "0"});
    const std::string name = sim.waitForLine("tcp:127.0.0.1:");
    ASSERT_EQ(name.rfind("tcp:127.0.0.1:", 0), 0u) << name;
    RecordingMessages messages;
    AppContext ctx(messages, testTiming());
    SerialSettings s;
    s.PortName = name;
    s.BaudRate = 115200;
    for (int round = 0; round < 2; ++round) {  // the next connection after the first let go
        ASSERT_TRUE(ctx.bus.Open(s).ok()) << round;
        for (int a : {2, 5}) {
            const auto r =
                ctx.bus.readInputRegisters(static_cast<std::uint8_t>(a), reg::kBlockFirst,
                                           reg::kBlockCount, Timing::kScanWaitMs);
            ASSERT_TRUE(r.crcOk()) << a;
            EXPECT_EQ(r.reg(0), a);
        }
        ctx.bus.Close();
    }
}

TEST(SimulatorTcp, RefusesAPortThatIsNoNumber) {
    ChildProcess sim({KORV_SIM_PATH, "--tcp", "http"});
    EXPECT_NE(sim.waitForLine("usage: korvelantis-sim"), "");
}

}  // namespace
