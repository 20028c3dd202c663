#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPushButton>
#include <thread>

#include "ShellFixture.h"
#include "config/qt/BasicConfigPage.h"
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

namespace {

void clickButton(ShellWindow& w, const char* name) {
    auto* b = w.sheet()->basicConfigPage()->findChild<QPushButton*>(name);
    ASSERT_NE(b, nullptr) << name;
    ASSERT_TRUE(b->isEnabled()) << name;
    b->click();
}

bool exclusive(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    int on = -1;
    if (fd >= 0) {
        ::ioctl(fd, TIOCGEXCL, &on);
        ::close(fd);
    }
    return fd < 0 || on != 0;
}

}  // namespace

// Open, Close, Open on the simulated port failed for every user but root.
TEST_F(PortCommandsTest, ClosedPortCanBeOpenedAgain) {
    tb.ctx.serialSettings.PortName = tb.sim.portPath();
    for (int round = 0; round < 2; ++round) {
        open()->trigger();
        ASSERT_TRUE(tb.ctx.bus.isOpen()) << round;
        close()->trigger();
        EXPECT_FALSE(exclusive(tb.sim.portPath())) << round;
    }
}

// A hang-up closed the port, yet the menu offered only "Close Serial port".
TEST_F(PortCommandsTest, HangUpFoundByAWorkerTurnsTheMenuBackToOpen) {
    tb.ctx.serialSettings.PortName = tb.sim.portPath();
    open()->trigger();
    ASSERT_TRUE(close()->isEnabled());
    tb.sim.hangUp();
    std::thread worker([&] { tb.ctx.bus.readInputRegisters(1, 23, 1, Timing::kRegisterWaitMs); });
    worker.join();
    EXPECT_TRUE(waitFor([&] { return open()->isEnabled(); }));
    EXPECT_FALSE(close()->isEnabled());
    EXPECT_EQ(tb.ctx.CanOpenPort, 1);
    EXPECT_EQ(tb.ctx.CanClosePort, 0);
    EXPECT_NE(tb.messages.lastStatus().find(tb.sim.portPath() + " is closed"), std::string::npos);
    EXPECT_NE(tb.messages.lastStatus().find("hung up"), std::string::npos);
}

TEST_F(PortCommandsTest, MenuFollowsThePortEvenBeforeTheNewsArrives) {
    tb.ctx.serialSettings.PortName = tb.sim.portPath();
    open()->trigger();
    tb.sim.hangUp();
    tb.ctx.bus.readInputRegisters(1, 23, 1, Timing::kRegisterWaitMs);
    w.frame.updateCommandUI();  // what opening the menu does, with no event processed yet
    EXPECT_TRUE(open()->isEnabled());
    EXPECT_FALSE(close()->isEnabled());
}

// After a hang-up "Batch download" and "Configuration" failed without a word, and a Search with
// the port closed showed three boxes: every operation says once that the port is not open.
TEST_F(PortCommandsTest, EveryOperationOnAClosedPortSaysSoOnce) {
    tb.ctx.serialSettings.PortName = tb.sim.portPath();
    open()->trigger();
    tb.sim.hangUp();
    tb.ctx.bus.readInputRegisters(1, 23, 1, Timing::kRegisterWaitMs);
    ASSERT_TRUE(waitFor([&] { return open()->isEnabled(); }));
    const std::vector<std::string> once{CSerialPort::kWriteNotOpen};
    CBasicConfigPage* page = w.sheet()->basicConfigPage();

    tb.messages.clear();
    clickButton(w, "searchButton");  // the ordinary user's search: no wait dialog
    ASSERT_TRUE(waitFor([&] { return !page->searchRunning(); }));
    QApplication::processEvents();
    EXPECT_EQ(tb.messages.texts(), once) << "ordinary search";

    tb.ctx.CurrentAddress = 1;
    tb.messages.clear();
    clickButton(w, "batchDownloadButton");
    EXPECT_EQ(tb.messages.texts(), once) << "download to the current device";

    ASSERT_TRUE(w.frame.view()->enterEnterpriseMode());
    for (const char* button : {"searchButton", "batchDownloadButton", "configurationButton"}) {
        // A device address "Configuration" can send (the search found none to show).
        page->findChild<QLineEdit*>("currentDeviceEdit")->setText("5");
        tb.messages.clear();
        clickButton(w, button);
        ASSERT_TRUE(waitFor([&] { return !page->searchRunning(); }));
        QApplication::processEvents();
        EXPECT_EQ(tb.messages.texts(), once) << button;
    }
}

TEST_F(PortCommandsTest, OpenTakesTheResponseTimeOutWithTheLineSettings) {
    tb.ctx.serialSettings.PortName = tb.sim.portPath();
    tb.ctx.serialSettings.ResponseTimeoutMs = 50;
    open()->trigger();
    EXPECT_EQ(tb.ctx.PortSettingsCopy.ResponseTimeoutMs, 50);
    EXPECT_EQ(tb.ctx.bus.responseTimeoutMs(), 50);
    tb.ctx.serialSettings.ResponseTimeoutMs = 0;  // takes effect at the next Open
    EXPECT_EQ(tb.ctx.bus.responseTimeoutMs(), 50);
    close()->trigger();
    open()->trigger();
    EXPECT_EQ(tb.ctx.bus.responseTimeoutMs(), 0);
}
