// The indicator panel's tool tips: the bus's figures of each address as they stand when shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>

#include "calibration/qt/OnlinePanel.h"
#include "link/RegisterMap.h"
#include "tests/support/TestBus.h"

namespace {

QString toolTipOf(COnlinePanel& panel, int address) {
    CFlatImageButton* b = panel.indicator(address);
    QHelpEvent e(QEvent::ToolTip, QPoint(2, 2), b->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(b, &e);
    return b->toolTip();
}

TEST(OnlinePanelToolTip, ShowsTheFiguresOfTheAddressNow) {
    TestBus t({3});
    t.open();
    COnlinePanel panel;
    panel.RefreshOnlinePanel(t.ctx);
    auto read = [&](int a) {
        t.ctx.bus.readInputRegisters(static_cast<std::uint8_t>(a), reg::kBlockFirst,
                                     reg::kBlockCount, Timing::kScanWaitMs);
    };
    read(3);
    read(3);
    read(4);
    // Read after the panel was refreshed: the tip follows the bus, not the last activation.
    const QString three = toolTipOf(panel, 3);
    EXPECT_TRUE(
        three.startsWith("Address 03, since the port was opened:\n"
                         "requests 2, answers 2, time-outs 0\n"
                         "CRC errors 0, refused 0, foreign frames 0\n"
                         "latency min "))
        << three.toStdString();
    EXPECT_TRUE(three.endsWith(" ms"));
    EXPECT_EQ(toolTipOf(panel, 4),
              "Address 04, since the port was opened:\n"
              "requests 1, answers 0, time-outs 1\n"
              "CRC errors 0, refused 0, foreign frames 0");
    EXPECT_EQ(toolTipOf(panel, 10), "Address 10: no requests since the port was opened.");
    t.ctx.bus.resetHealth();
    EXPECT_EQ(toolTipOf(panel, 3), "Address 03: no requests since the figures were reset.");
}

TEST(OnlinePanelToolTip, TheLatencyIsOfTheAnswers) {
    HealthTable table;
    BusFrame tx;
    tx.exchangeAddress = 7;
    tx.direction = FrameDirection::Sent;
    tx.outcome = FrameOutcome::Answer;
    for (double ms : {4.0, 6.0, 11.0}) {
        tx.latencyMs = ms;
        table.add({tx});
    }
    tx.outcome = FrameOutcome::Timeout;
    tx.latencyMs = 900.0;
    table.add({tx});
    EXPECT_EQ(COnlinePanel::healthToolTip(7, table),
              "Address 07, since the port was opened:\n"
              "requests 4, answers 3, time-outs 1\n"
              "CRC errors 0, refused 0, foreign frames 0\n"
              "latency min 4.0 / mean 7.0 / max 11.0 ms");
}

}  // namespace
