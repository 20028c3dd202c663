// The window's live values: the watch on its worker, the table it fills, the bus it holds.
#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>

#include "calibration/qt/CalibrationPage.h"
#include "calibration/qt/OnlinePanel.h"
#include "link/RegisterMap.h"
#include "live/qt/LiveValuesPage.h"
#include "shell/qt/PropSheet.h"
#include "tests/live/LiveDevices.h"
#include "tests/live/MqttBroker.h"
#include "tests/support/qt/EventLoop.h"

namespace {

// Devices 3, 7 and 12 at three point positions and units, online after a search, in the
// enterprise sheet. The context's clock is fake, so a round's interval passes at once and a
// silent device ages a second a round.
struct Rig {
    Rig() : bus({3, 7, 12}, 0.05, 115200, 1.0, TestBus::lineClockOfItsOwn()) {
        watchedDevice(bus, 3, 0, 1);   // "0000", MPa
        watchedDevice(bus, 7, 1, 7);   // "000.0", ℃
        watchedDevice(bus, 12, 3, 9);  // "0.000", m
        bus.open();
        for (int a : {3, 7, 12}) bus.ctx.OnlineTable[static_cast<std::size_t>(a - 1)] = 1;
        bus.ctx.EnterpriseMode = 1;
        sheet = std::make_unique<CPropSheet>(bus.ctx);
        page = sheet->liveValuesPage();
        // As the enterprise search leaves them.
        for (int a : {3, 7, 12}) bus.ctx.OnlineTable[static_cast<std::size_t>(a - 1)] = 1;
    }
    ~Rig() {
        page->OnStop();
        waitFor([&] { return !page->watching(); });
    }
    // The row of `address`' cell in `column`, empty while it is not shown.
    QString cell(int address, int column) const {
        QTableWidget* t = page->table();
        for (int r = 0; r < t->rowCount(); ++r)
            if (t->item(r, 0) && t->item(r, 0)->text() == QString::number(address))
                return t->item(r, column) ? t->item(r, column)->text() : QString();
        return {};
    }
    TestBus bus;
    std::unique_ptr<CPropSheet> sheet;
    CLiveValuesPage* page = nullptr;
};

QString toolTipOf(COnlinePanel& panel, int address) {
    CFlatImageButton* b = panel.indicator(address);
    QHelpEvent e(QEvent::ToolTip, QPoint(2, 2), b->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(b, &e);
    return b->toolTip();
}

}  // namespace

TEST(LiveValuesPage, ValuesAtEachPointPositionASilentDeviceAgesOfflineAndStopFreesTheBus) {
    Rig rig;
    ASSERT_GE(rig.sheet->indexOf(rig.page), 0) << "an enterprise page";
    ASSERT_TRUE(rig.sheet->SetActivePage(rig.sheet->indexOf(rig.page)));
    ASSERT_TRUE(rig.page->startButton()->isEnabled());
    rig.page->startButton()->click();
    ASSERT_TRUE(rig.page->watching())
        << (rig.bus.messages.texts().empty() ? std::string() : rig.bus.messages.texts()[0]);
    EXPECT_FALSE(rig.page->startButton()->isEnabled());
    ASSERT_TRUE(waitFor([&] { return !rig.cell(12, 1).isEmpty() && !rig.cell(3, 1).isEmpty(); }));
    const struct {
        int address;
        const char* pattern;
        const char* unit;
    } expected[] = {{3, "^[1-9][0-9]*$", "MPa"},
                    {7, "^[0-9]+\\.[0-9]$", "℃"},
                    {12, "^[0-9]+\\.[0-9]{3}$", "m"}};
    for (const auto& e : expected) {
        const QString value = rig.cell(e.address, 1);
        EXPECT_TRUE(QRegularExpression(e.pattern).match(value).hasMatch())
            << e.address << ": " << value.toStdString();
        EXPECT_EQ(rig.cell(e.address, 2), QString::fromUtf8(e.unit));
        EXPECT_EQ(rig.cell(e.address, 4), "online");
    }

    // The indicators' tool tips lead with the latest value while the watch runs.
    COnlinePanel* panel = rig.sheet->calibrationPage()->onlinePanel();
    panel->RefreshOnlinePanel(rig.bus.ctx);
    const QString tip = toolTipOf(*panel, 7);
    EXPECT_TRUE(
        QRegularExpression("^Latest value: [0-9]+\\.[0-9] ℃\nAddress 07, ").match(tip).hasMatch())
        << tip.toStdString();
    EXPECT_FALSE(toolTipOf(*panel, 5).startsWith("Latest value"));

    // The bus is the watch's: no other page can be entered, and the tabs say why.
    const int calibrationTab = rig.sheet->indexOf(rig.sheet->calibrationPage());
    EXPECT_FALSE(rig.sheet->isTabEnabled(calibrationTab));
    EXPECT_EQ(rig.sheet->tabToolTip(calibrationTab).toStdString(), CLiveValuesPage::kWatchRunning);
    EXPECT_FALSE(rig.sheet->SetActivePage(calibrationTab));
    EXPECT_EQ(rig.bus.messages.lastStatus(), CLiveValuesPage::kWatchRunning);

    // 7 falls silent: offline after three rounds, its last value kept and ageing.
    rig.bus.sim.setFaults(7, SimFaults{.silent = true});
    ASSERT_TRUE(waitFor([&] { return rig.cell(7, 4) == "offline"; }, 5000));
    bool ok = false;
    EXPECT_GE(rig.cell(7, 3).toInt(&ok), 3);
    EXPECT_TRUE(ok);
    EXPECT_LE(rig.cell(3, 3).toInt(), 1);
    EXPECT_EQ(rig.cell(3, 4), "online");
    EXPECT_FALSE(rig.cell(7, 1).isEmpty());

    rig.page->stopButton()->click();
    ASSERT_TRUE(waitFor([&] { return !rig.page->watching(); }));
    EXPECT_TRUE(rig.page->startButton()->isEnabled());
    EXPECT_TRUE(rig.sheet->isTabEnabled(calibrationTab));
    EXPECT_TRUE(rig.sheet->tabToolTip(calibrationTab).isEmpty());
    EXPECT_FALSE(toolTipOf(*panel, 3).startsWith("Latest value"));
    // Nobody else asks the bus now, and it answers whoever does.
    const std::size_t frames = rig.bus.sim.framesReceived().size();
    const ExchangeResult r =
        rig.bus.ctx.bus.readInputRegisters(3, reg::MeasuredValue, 1, Timing::kScanWaitMs);
    EXPECT_TRUE(r.crcOk());
    EXPECT_EQ(rig.bus.sim.framesReceived().size(), frames + 1);
    EXPECT_TRUE(rig.sheet->SetActivePage(calibrationTab));
    EXPECT_TRUE(rig.bus.messages.texts().empty());
}

TEST(LiveValuesPage, NoWatchWithoutAnOnlineDevice) {
    Rig rig;
    rig.bus.ctx.clearOnlineTable();
    rig.page->OnStart();
    EXPECT_FALSE(rig.page->watching());
    EXPECT_EQ(rig.bus.messages.texts(), std::vector<std::string>{"No online device"});
    EXPECT_EQ(rig.bus.sim.framesReceived().size(), 0u);
}

TEST(LiveValuesPage, PublishesToTheBrokerOfItsSettingsAndSaysOfflineAtStop) {
    MqttBroker broker;
    MqttSubscriber sub(broker.port(), "bay2/#");
    Rig rig;
    rig.page->hostEdit()->setText("127.0.0.1");
    rig.page->portBox()->setValue(broker.port());
    rig.page->prefixEdit()->setText("bay2");
    rig.page->OnStart();
    ASSERT_TRUE(rig.page->watching());
    EXPECT_FALSE(rig.page->hostEdit()->isEnabled());
    ASSERT_TRUE(sub.waitForMessages([](const std::vector<MqttMessage>& m) {
        return std::any_of(m.begin(), m.end(),
                           [](const MqttMessage& x) { return x.topic == "bay2/12/value"; });
    }));
    const std::string value = sub.payloads("bay2/12/value").front();
    EXPECT_NE(value.find(R"({"address":12,"value":0.)"), std::string::npos) << value;
    EXPECT_NE(value.find(R"("unit":"m")"), std::string::npos) << value;
    EXPECT_EQ(sub.payloads("bay2/7/online").front(), "true");
    rig.page->OnStop();
    ASSERT_TRUE(waitFor([&] { return !rig.page->watching(); }, 5000));
    // The publisher's end ran on the worker: "offline" came after the "online" of the start.
    EXPECT_TRUE(sub.waitForMessages([](const std::vector<MqttMessage>& m) {
        std::string last;
        for (const MqttMessage& x : m)
            if (x.topic == "bay2/status")
                last += x.payload + " ";
        return last == "online offline ";
    })) << ::testing::PrintToString(sub.payloads("bay2/status"));
}
