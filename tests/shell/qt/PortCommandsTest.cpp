#include <gtest/gtest.h>

#include "ShellFixture.h"
#include "tests/support/TestBus.h"

namespace {
struct PortCommandsTest : ::testing::Test {
    TestBus tb{{1, 7}, 0.05};
    ShellWindow w{tb.ctx};
    QAction* open() const { return w.action("actionOpenPort"); }
    QAction* close() const { return w.action("actionClosePort"); }
};
}  // namespace

TEST_F(PortCommandsTest, OpenOnTheSimulatedPortSwapsTheEnableStates) {
    tb.ctx.serialSettings.PortName = tb.sim.portPath();
    tb.ctx.serialSettings.BaudRate = 115200;
    open()->trigger();
    EXPECT_TRUE(tb.ctx.bus.isOpen());
    EXPECT_FALSE(open()->isEnabled());
    EXPECT_TRUE(close()->isEnabled());
    EXPECT_EQ(tb.ctx.PortSettingsCopy.PortName, tb.sim.portPath());
    EXPECT_EQ(tb.ctx.PortSettingsCopy.BaudRate, 115200);
    EXPECT_EQ(tb.messages.texts(),
              std::vector<std::string>{"System initialization, open the serial port " +
                                       tb.sim.portPath() + " Success!"});

    close()->trigger();
    EXPECT_FALSE(tb.ctx.bus.isOpen());
    EXPECT_TRUE(open()->isEnabled());
    EXPECT_FALSE(close()->isEnabled());
}

TEST_F(PortCommandsTest, FailedOpenLeavesBothItemsAsTheyWere) {
    tb.ctx.serialSettings.PortName = "/dev/korvelantis-no-such-port";
    open()->trigger();
    EXPECT_FALSE(tb.ctx.bus.isOpen());
    EXPECT_TRUE(open()->isEnabled());
    EXPECT_FALSE(close()->isEnabled());
    ASSERT_EQ(tb.messages.texts().size(), 1u);
    EXPECT_EQ(tb.messages.texts()[0], "System initialization, open the serial port error!");
}

TEST_F(PortCommandsTest, CloseThenOpenWithAnotherNameOpensTheNewPort) {
    SimBus::Options o;
    o.addresses = {12};
    SimBus other(o);
    tb.ctx.serialSettings.PortName = tb.sim.portPath();
    open()->trigger();
    close()->trigger();
    tb.ctx.serialSettings.PortName = other.portPath();
    open()->trigger();
    ASSERT_TRUE(tb.ctx.bus.isOpen());
    EXPECT_EQ(tb.ctx.PortSettingsCopy.PortName, other.portPath());
    // The device that answers is the one on the new port.
    EXPECT_TRUE(tb.ctx.bus.readInputRegisters(12, 3, 19, Timing::kSearchWaitMs).crcOk());
}
