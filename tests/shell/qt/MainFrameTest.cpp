#include <gtest/gtest.h>

#include <QLabel>
#include <QStatusBar>
#include "ShellFixture.h"

#include "acquisition/qt/DataGatherDlg.h"
#include "tests/support/RecordingMessages.h"

namespace {
struct MainFrameTest : ::testing::Test {
    RecordingMessages messages;
    AppContext ctx{messages};
    ShellWindow w{ctx};
};
}  // namespace

TEST_F(MainFrameTest, MenuBeforeLoginHasTheOrdinaryItemsAndRules) {
    EXPECT_EQ(w.menuTitles(),
              QStringList({"File(&F)", "Serial port(&S)", "Image adjustment(&A)", "Help(&H)"}));
    EXPECT_EQ(w.items("menuFile"), QStringList({"Import data(&D)...\tCtrl+D", "Exit(&X)"}));
    EXPECT_EQ(w.items("menuSerial"),
              QStringList({"Serial port configuration(&C)", "Open Serial port (&O)",
                           "Close Serial port (&B)", "Bus monitor(&M)..."}));
    EXPECT_EQ(w.items("menuImage"), QStringList({"Time division", "The output index"}));
    EXPECT_EQ(w.items("menuTimeDivision"),
              QStringList({"5 minutes", "10 minutes", "30 minutes", "1 hour", "2 hour", "5 hour",
                           "10 hour", "20 hour"}));
    EXPECT_EQ(w.items("menuOutputIndex"),
              QStringList({"1/4 range", "1/3 range", "1/2 range", "Full scale", "Full scale+"}));
    EXPECT_EQ(w.items("menuHelp"),
              QStringList({"About Korvelantis(&A)...", "Enterprise user login(&L)"}));

    EXPECT_TRUE(w.action("actionOpenPort")->isEnabled());
    EXPECT_FALSE(w.action("actionClosePort")->isEnabled());
    EXPECT_TRUE(w.action("actionLogin")->isEnabled());
    EXPECT_FALSE(w.action("actionImportBasicParams")->isEnabled());
    EXPECT_FALSE(w.action("actionLoadLevelPreset")->isEnabled());
    EXPECT_FALSE(w.action("actionLoadTemperaturePreset")->isEnabled());
    // Initial scale choices: one hour a division, full scale.
    EXPECT_TRUE(w.action("actionTimeDivision60")->isChecked());
    EXPECT_FALSE(w.action("actionTimeDivision5")->isChecked());
    EXPECT_TRUE(w.action("actionOutputIndex1")->isChecked());
    EXPECT_FALSE(w.action("actionOutputIndex0")->isChecked());
}

// A key an item shows is the key that runs it, and no item runs a key it does not show.
TEST_F(MainFrameTest, ShortcutsAreTheKeysTheItemsShow) {
    int bound = 0;
    for (QAction* a : w.frame.findChildren<QAction*>()) {
        const qsizetype tab = a->text().indexOf('\t');
        const QString shown = tab < 0 ? QString() : a->text().mid(tab + 1);
        EXPECT_EQ(a->shortcut(), QKeySequence(shown)) << a->text().toStdString();
        bound += !a->shortcut().isEmpty();
    }
    EXPECT_EQ(bound, 2);  // Ctrl+D and Ctrl+P
}

TEST_F(MainFrameTest, MenuAfterLoginDropsTheCurveMenuAndOffersTheParameterImport) {
    ASSERT_TRUE(w.frame.view()->enterEnterpriseMode());
    EXPECT_EQ(w.menuTitles(), QStringList({"File(&F)", "Serial port(&S)", "Help(&H)"}));
    EXPECT_EQ(w.items("menuFile"),
              QStringList({QString::fromUtf8("导入基本参数(&P)...\tCtrl+P"),
                           QString::fromUtf8("载入液位预设(&L)"),
                           QString::fromUtf8("载入温度预设(&T)"), "Exit(&X)"}));
    EXPECT_FALSE(w.action("actionLogin")->isEnabled());
    EXPECT_TRUE(w.action("actionImportBasicParams")->isEnabled());
    EXPECT_TRUE(w.action("actionLoadLevelPreset")->isEnabled());
    EXPECT_TRUE(w.action("actionLoadTemperaturePreset")->isEnabled());
    EXPECT_EQ(ctx.EnterpriseMode.load(), 1);
}

TEST_F(MainFrameTest, TabsBeforeAndAfterLoginInTheirOrder) {
    EXPECT_EQ(w.tabs(), QStringList({"The basic configuration", "Data Collection"}));
    EXPECT_EQ(w.sheet()->currentIndex(), 0);
    w.sheet()->SetActivePage(1);
    ASSERT_TRUE(w.frame.view()->enterEnterpriseMode());
    EXPECT_EQ(w.tabs(),
              QStringList({"The basic configuration", "Calibration", QString::fromUtf8("输出校准"),
                           QString::fromUtf8("温度补偿"), "Live values"}));
    EXPECT_EQ(w.sheet()->tabText(0), "The basic configuration");
    EXPECT_NE(w.sheet()->currentWidget(), w.sheet()->dataGatherPage());
    // The removed page is still owned and alive, just not shown.
    EXPECT_FALSE(w.sheet()->dataGatherPage()->isVisible());
}

TEST_F(MainFrameTest, SecondSwitchToEnterpriseModeChangesNothing) {
    ASSERT_TRUE(w.frame.view()->enterEnterpriseMode());
    EXPECT_FALSE(w.frame.view()->enterEnterpriseMode());
    EXPECT_EQ(w.tabs().size(), 5);
    EXPECT_EQ(w.items("menuFile").size(), 4);  // import, the two presets, exit
}

TEST_F(MainFrameTest, CurveMenusMoveTheirCheckMarks) {
    w.action("actionTimeDivision5")->trigger();
    EXPECT_EQ(ctx.MinutesPerDivision, 5);
    EXPECT_TRUE(w.action("actionTimeDivision5")->isChecked());
    EXPECT_FALSE(w.action("actionTimeDivision60")->isChecked());
    w.action("actionOutputIndex4")->trigger();  // "1/4 range"
    EXPECT_EQ(ctx.OutputIndex, 4);
    EXPECT_TRUE(w.action("actionOutputIndex4")->isChecked());
    EXPECT_FALSE(w.action("actionOutputIndex1")->isChecked());
}

TEST_F(MainFrameTest, StatusBarShowsReadyAndTheThreeLockPanes) {
    auto* ready = w.frame.findChild<QLabel*>("statusReady");
    ASSERT_TRUE(ready);
    EXPECT_EQ(ready->text(), "Ready");
    EXPECT_EQ(w.frame.findChild<QLabel*>("paneCaps")->text(), QString::fromUtf8("大写"));
    EXPECT_EQ(w.frame.findChild<QLabel*>("paneNum")->text(), QString::fromUtf8("数字"));
    EXPECT_EQ(w.frame.findChild<QLabel*>("paneScroll")->text(), QString::fromUtf8("滚动"));
    w.frame.showStatus("Port busy");
    EXPECT_EQ(ready->text(), "Port busy");  // the status line takes the place of "Ready"
}

TEST_F(MainFrameTest, SheetFillsTheViewAtEverySize) {
    w.frame.show();
    for (QSize size : {QSize(900, 700), QSize(1300, 900), QSize(640, 480)}) {
        w.frame.resize(size);
        QApplication::processEvents();
        CKorvelantisView* view = w.frame.view();
        EXPECT_EQ(w.sheet()->geometry(), view->rect()) << size.width();
    }
    w.frame.hide();
}
