#include <gtest/gtest.h>

#include <QActionGroup>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProgressBar>
#include <thread>

#include "ShellFixture.h"
#include "config/qt/BasicConfigPage.h"
#include "shell/qt/StatusLine.h"
#include "tests/support/TestBus.h"

namespace {
struct StatusPanesTest : ::testing::Test {
    TestBus tb{{1, 7}, 0.05};
    ShellWindow w{tb.ctx};
    QLabel* port() const { return w.frame.findChild<QLabel*>("panePort"); }
    QString expected(const QString& path, const char* settings, const char* state) const {
        return QString("%1  %2  %3").arg(path, settings, state);
    }
};
}  // namespace

// The port's path, line settings and state were shown nowhere.
TEST_F(StatusPanesTest, ThePortPaneFollowsOpenCloseAndAHangUp) {
    ASSERT_NE(port(), nullptr);
    EXPECT_EQ(port()->accessibleName(), "Serial port");
    // What the next Open takes, "COM1" as the path it opens.
    EXPECT_EQ(port()->text(), expected("/dev/ttyS0", "9600 8N1", "closed"));

    const QString sim = QString::fromStdString(tb.sim.portPath());
    tb.ctx.serialSettings.PortName = tb.sim.portPath();
    tb.ctx.serialSettings.BaudRate = 115200;
    w.action("actionOpenPort")->trigger();
    ASSERT_TRUE(tb.ctx.bus.isOpen());
    EXPECT_EQ(port()->text(), expected(sim, "115200 8N1", "open"));

    // Settings edited while the port is open take effect at the next Open: the pane shows the
    // line as it runs.
    tb.ctx.serialSettings.BaudRate = 9600;
    w.frame.updatePortPane();
    EXPECT_EQ(port()->text(), expected(sim, "115200 8N1", "open"));

    w.action("actionClosePort")->trigger();
    EXPECT_EQ(port()->text(), expected(sim, "9600 8N1", "closed"));

    tb.ctx.serialSettings.BaudRate = 115200;
    w.action("actionOpenPort")->trigger();
    ASSERT_TRUE(tb.ctx.bus.isOpen());
    tb.sim.hangUp();
    std::thread worker([&] { tb.ctx.bus.readInputRegisters(1, 23, 1, Timing::kRegisterWaitMs); });
    worker.join();
    EXPECT_TRUE(waitFor([&] { return port()->text().endsWith("hung up"); }));
    EXPECT_EQ(port()->text(), expected(sim, "115200 8N1", "hung up"));
}

TEST_F(StatusPanesTest, AFailedOpenIsClosedNotHungUp) {
    tb.ctx.serialSettings.PortName = "/dev/korvelantis-no-such-port";
    w.action("actionOpenPort")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(port()->text(), expected("/dev/korvelantis-no-such-port", "9600 8N1", "closed"));
}

// The ordinary search showed only a greyed Search button and "Ready" for over a minute.
TEST_F(StatusPanesTest, TheOrdinarySearchShowsItsProgressInTheStatusBar) {
    TestBus far({60}, 0.03);  // only the last address answers: the search asks all 60
    far.open();
    ShellWindow window(far.ctx);
    auto* bar = window.frame.findChild<QProgressBar*>("statusSearchProgress");
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isVisibleTo(&window.frame));
    EXPECT_EQ(bar->accessibleName(), "Search progress");
    CBasicConfigPage* page = window.sheet()->basicConfigPage();
    page->OnSearch();
    ASSERT_TRUE(page->searchRunning());
    ASSERT_TRUE(waitFor([&] { return bar->isVisibleTo(&window.frame); }));
    EXPECT_TRUE(bar->format().startsWith("Searching address ")) << bar->format().toStdString();
    EXPECT_TRUE(bar->format().endsWith(" of 60")) << bar->format().toStdString();
    EXPECT_EQ(bar->maximum(), 60);
    const int seen = bar->value();
    ASSERT_TRUE(waitFor([&] { return bar->value() > seen + 5; }, 20000));
    ASSERT_TRUE(waitFor([&] { return !page->searchRunning(); }, 20000));
    ASSERT_TRUE(waitFor([&] { return !bar->isVisibleTo(&window.frame); }));
}

// The scale menus looked like independent check boxes.
TEST_F(StatusPanesTest, TheScaleMenusAreEachOneChoice) {
    for (const char* group : {"groupTimeDivision", "groupOutputIndex"}) {
        auto* g = w.frame.findChild<QActionGroup*>(group);
        ASSERT_NE(g, nullptr) << group;
        EXPECT_TRUE(g->isExclusive()) << group;
    }
    EXPECT_EQ(w.frame.findChild<QActionGroup*>("groupTimeDivision")->actions().size(), 8);
    EXPECT_EQ(w.frame.findChild<QActionGroup*>("groupOutputIndex")->actions().size(), 5);
    w.action("actionTimeDivision10")->trigger();
    EXPECT_EQ(tb.ctx.MinutesPerDivision, 10);
    EXPECT_TRUE(w.action("actionTimeDivision10")->isChecked());
    EXPECT_FALSE(w.action("actionTimeDivision60")->isChecked());
    // Choosing the checked one again keeps it the choice.
    w.action("actionTimeDivision10")->trigger();
    EXPECT_TRUE(w.action("actionTimeDivision10")->isChecked());
    w.action("actionOutputIndex3")->trigger();
    EXPECT_EQ(tb.ctx.OutputIndex, 3);
    EXPECT_TRUE(w.action("actionOutputIndex3")->isChecked());
    EXPECT_FALSE(w.action("actionOutputIndex1")->isChecked());
}

// The demo bus could not be calibrated: every point read the same. Its pane now sets the
// pressure the simulated devices measure, and it goes when another port is chosen.
TEST_F(StatusPanesTest, TheSimulatedDevicesPaneSetsTheAppliedPressureWhileItsPortIsChosen) {
    const QString sim = QString::fromStdString(tb.sim.portPath());
    tb.ctx.serialSettings.PortName = tb.sim.portPath();
    w.frame.showSimulatedBus(sim, "1, 7", [this](double v) { tb.sim.setAppliedPressure(v); });
    w.frame.show();
    auto* pane = w.frame.findChild<QWidget*>("simulatedPane");
    auto* pressure = w.frame.findChild<QDoubleSpinBox*>("appliedPressure");
    ASSERT_NE(pressure, nullptr);
    EXPECT_EQ(pressure->accessibleName(), "Applied pressure");
    EXPECT_TRUE(pane->isVisible());
    // What the calibration reads: register 22, the raw reading of the applied pressure.
    tb.ctx.serialSettings.BaudRate = 115200;
    w.action("actionOpenPort")->trigger();
    ASSERT_TRUE(tb.ctx.bus.isOpen());
    const auto raw = [this] {
        const ExchangeResult r = tb.ctx.bus.readInputRegisters(7, 22, 1, Timing::kRegisterWaitMs);
        EXPECT_TRUE(r.crcOk());
        return r.crcOk() ? r.reg(0) : -1;
    };
    const int atZero = raw();
    pressure->setValue(0.8);
    EXPECT_GT(raw(), atZero);
    pressure->setValue(0.0);
    EXPECT_EQ(raw(), atZero);

    // Open, the pane follows the port that runs; closed, the one the next Open takes.
    tb.ctx.serialSettings.PortName = "COM3";
    w.frame.updatePortPane();
    EXPECT_TRUE(pane->isVisible());
    w.action("actionClosePort")->trigger();
    EXPECT_FALSE(pane->isVisible());
    tb.ctx.serialSettings.PortName = tb.sim.portPath();
    w.frame.updatePortPane();
    EXPECT_TRUE(pane->isVisible());
    w.frame.hide();
}

// The ordinary search's reason was cut at 1024 px beside the demo pane, with no way to read it.
TEST_F(StatusPanesTest, ALongStatusLineIsCutWithTheWholeTextAsItsToolTip) {
    w.frame.showSimulatedBus(QString::fromStdString(tb.sim.portPath()), "1, 7, 12, 35",
                             [](double) {});
    tb.ctx.serialSettings.PortName = tb.sim.portPath();
    w.frame.updatePortPane();
    w.frame.show();
    auto* line = w.frame.findChild<StatusLine*>("statusReady");
    ASSERT_NE(line, nullptr);
    const QString reason = QString::fromUtf8(CBasicConfigPage::kSearchRunning);
    for (int width : {1024, 640}) {
        w.frame.resize(width, 700);
        w.frame.showStatus(reason);
        QApplication::processEvents();
        // Nothing beside the line is pushed out of the window.
        EXPECT_LE(w.frame.width(), width);
        const QRect r(line->mapTo(&w.frame, QPoint(0, 0)), line->size());
        EXPECT_TRUE(w.frame.rect().contains(r)) << width;
        EXPECT_LE(line->fontMetrics().horizontalAdvance(line->text()), line->contentsRect().width())
            << width;
        EXPECT_EQ(line->fullText(), reason);
        if (line->isElided())
            EXPECT_EQ(line->toolTip(), reason) << width;
        else
            EXPECT_EQ(line->text(), reason) << width;
    }
    EXPECT_TRUE(line->isElided());  // at 640 px it cannot fit
    w.frame.resize(1024, 700);
    w.frame.showStatus({});
    QApplication::processEvents();
    EXPECT_EQ(line->text(), "Ready");
    EXPECT_EQ(line->toolTip(), "");
    w.frame.hide();
}
