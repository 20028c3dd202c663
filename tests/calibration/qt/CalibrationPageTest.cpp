// The Calibration page: grid shapes, activation rules, the indicator panel, and a calibration
// run from the page's own buttons against the simulated bus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>

#include "calibration/qt/CalibrationPage.h"
#include "calibration/qt/OnlinePanel.h"
#include "tests/calibration/qt/PageBench.h"
#include "tests/support/TestBus.h"

namespace {

struct PageBench : OnlinePageBench<CCalibrationPage> {
    explicit PageBench(std::vector<int> addresses, double scale = 0.03)
        : OnlinePageBench(std::move(addresses), scale) {}
    QTableWidget* grid() { return find<QTableWidget>("calibrationGrid"); }
    void selectPoints(const char* n) { find<QComboBox>("pointCountCombo")->setCurrentText(n); }
    bool rowVisible(int i) {
        const QString n = QString::number(i);
        return !find<QLabel>(qPrintable("targetText" + n))->isHidden() &&
               !find<QLabel>(qPrintable("unitText" + n))->isHidden() &&
               !find<QPushButton>(qPrintable("acquireButton" + n))->isHidden();
    }
    // A range of 0 .. 1.6 MPa at "0.000", then the page's activation.
    void activateOnTheSmallRange() {
        BasicSettings s;
        s.RangeStart = 0.0f;
        s.RangeEnd = 1.6f;
        s.PointPositionText = "0.000";
        bus.ctx.setBasicSettings(s);
        page.onSetActive();
    }
    QStringList column0() {
        QStringList out;
        for (int r = 0; r < page.gridRowCount(); ++r) out << page.gridText(r, 0);
        return out;
    }
};

// Presses the wait dialog's button as soon as one is up.
void cancelWaitDialogSoon(int afterMs) {
    QTimer::singleShot(afterMs, [] {
        if (QWidget* w = QApplication::activeModalWidget())
            if (auto* b = w->findChild<QPushButton*>("waitCancel"))
                b->click();
    });
}

const QString k = "               k";
const QString b = "               b";

}  // namespace

TEST(CalibrationPageLayout, StartsWithThreePointsAndPlaceholderAddresses) {
    PageBench p({});
    EXPECT_EQ(p.find<QComboBox>("pointCountCombo")->currentText(), "3");
    EXPECT_TRUE(p.rowVisible(3));
    EXPECT_FALSE(p.rowVisible(4));
    EXPECT_FALSE(p.rowVisible(5));
    EXPECT_EQ(p.find<QLabel>("targetText2")->text(), "20.000");
    EXPECT_EQ(p.find<QLabel>("unitText1")->text(), "MPa");
    EXPECT_EQ(p.page.gridRowCount(), 6);
    EXPECT_EQ(p.page.gridColumnCount(), 11);
    EXPECT_EQ(p.page.gridText(0, 1), "01");
    EXPECT_EQ(p.page.gridText(0, 10), "10");
    EXPECT_EQ(p.column0(), (QStringList{"", "0.000", "20.000", "40.000", k, b}));
    auto* list = p.find<QTreeWidget>("resultList");
    EXPECT_EQ(list->headerItem()->text(1), QString::fromUtf8("地址"));
    EXPECT_EQ(list->headerItem()->text(2), QString::fromUtf8("数值"));
}

TEST(CalibrationPageLayout, GridShapesForTwoThreeAndFivePoints) {
    PageBench p({4, 9});
    p.page.onSetActive();
    p.selectPoints("2");
    EXPECT_EQ(p.page.gridRowCount(), 5);
    EXPECT_EQ(p.page.gridColumnCount(), 3);
    EXPECT_EQ(p.column0(), (QStringList{"", "0.000", "40.000", k, b}));
    EXPECT_TRUE(p.rowVisible(2));
    EXPECT_FALSE(p.rowVisible(3));

    p.selectPoints("5");
    EXPECT_EQ(p.page.gridRowCount(), 8);
    EXPECT_EQ(p.column0(),
              (QStringList{"", "0.000", "10.000", "20.000", "30.000", "40.000", k, b}));
    EXPECT_TRUE(p.rowVisible(5));
    EXPECT_EQ(p.find<QLabel>("targetText4")->text(), "30.000");

    p.selectPoints("3");
    EXPECT_EQ(p.page.gridRowCount(), 6);
    EXPECT_EQ(p.page.gridText(4, 0), k);
    EXPECT_EQ(p.page.gridText(0, 1), "4");
    EXPECT_EQ(p.page.gridText(0, 2), "9");
}

TEST(CalibrationPageLayout, ActivationTakesUnitsSignalTypeAndOnlineAddresses) {
    PageBench p({3, 17, 44});
    BasicSettings s;
    s.RangeStart = 1.0f;
    s.RangeEnd = 2.0f;
    s.SignalTypeText = "level";
    s.SignalUnitText = "m";
    s.PointPositionText = "0.000";
    p.bus.ctx.setBasicSettings(s);
    p.page.onSetActive();
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(p.find<QLabel>(qPrintable("unitText" + QString::number(i)))->text(), "m");
    EXPECT_EQ(p.find<QTreeWidget>("resultList")->headerItem()->text(0), "level");
    EXPECT_EQ(p.page.gridColumnCount(), 4);
    EXPECT_EQ(p.page.gridText(0, 3), "44");
    EXPECT_EQ(p.page.gridText(2, 0), "1.500");
}

TEST(CalibrationPageLayout, CountChangeClearsTheGridButActivationKeepsIt) {
    PageBench p({1});
    p.page.onSetActive();
    p.page.OnAcquire(1);
    QApplication::processEvents();
    ASSERT_FALSE(p.page.gridText(1, 1).isEmpty());
    p.page.onSetActive();
    EXPECT_FALSE(p.page.gridText(1, 1).isEmpty());
    p.bus.messages.setAnswer(true);  // the readings may go
    p.selectPoints("5");
    EXPECT_TRUE(p.page.gridText(1, 1).isEmpty());
    EXPECT_EQ(p.page.gridText(0, 1), "1");
}

TEST(OnlinePanel, IsRedBeforeAnySearchAndGreenOnlyForFlagOne) {
    PageBench p({});
    p.page.onSetActive();
    for (int a = 1; a <= 60; ++a) EXPECT_FALSE(p.page.onlinePanel()->isShownOnline(a)) << a;
    p.bus.ctx.OnlineTable[4] = 1;
    p.bus.ctx.OnlineTable[59] = 1;
    p.bus.ctx.OnlineTable[6] = 2;                          // anything but 1 is offline
    EXPECT_FALSE(p.page.onlinePanel()->isShownOnline(5));  // refreshed only at activation
    p.page.onSetActive();
    EXPECT_TRUE(p.page.onlinePanel()->isShownOnline(5));
    EXPECT_TRUE(p.page.onlinePanel()->isShownOnline(60));
    EXPECT_FALSE(p.page.onlinePanel()->isShownOnline(7));
    const QColor centreOn =
        p.page.onlinePanel()->indicator(5)->image().toImage().pixelColor(22, 22);
    const QColor centreOff =
        p.page.onlinePanel()->indicator(7)->image().toImage().pixelColor(22, 22);
    EXPECT_GT(centreOn.green(), 200);
    EXPECT_LT(centreOn.red(), 60);
    EXPECT_GT(centreOff.red(), 200);
    EXPECT_LT(centreOff.green(), 60);
}

TEST(OnlinePanel, HasSixtyLabelledIndicatorsAndClicksSendNothing) {
    PageBench p({2});
    p.page.onSetActive();
    for (int a = 1; a <= 60; ++a) {
        const QString n = QString::asprintf("%02d", a);
        auto* label = p.find<QLabel>(qPrintable("indicatorLabel" + n));
        EXPECT_EQ(label->text(), n);
        EXPECT_EQ(p.page.onlinePanel()->indicator(a)->accessibleName(), n);
    }
    p.page.onlinePanel()->indicator(2)->click();
    QApplication::processEvents();
    EXPECT_TRUE(p.bus.sim.framesReceived().empty());
    EXPECT_TRUE(p.page.onlinePanel()->isShownOnline(2));
}

TEST(CalibrationPageRun, CalibratesTheBusFromThePageButtons) {
    PageBench p({2, 11, 35});
    p.bus.sim.setGainOffset(2, 9100.0, 350.0);
    p.bus.sim.setGainOffset(11, 11800.0, 1200.0);
    p.bus.sim.setGainOffset(35, 6400.0, 2500.0);
    p.activateOnTheSmallRange();
    const double applied[] = {0.0, 0.8, 1.6};
    for (int k = 1; k <= 3; ++k) {
        p.bus.sim.setAppliedPressure(applied[k - 1]);
        p.find<QPushButton>(qPrintable("acquireButton" + QString::number(k)))->click();
        QApplication::processEvents();
        auto* list = p.find<QTreeWidget>("resultList");
        ASSERT_EQ(list->topLevelItemCount(), 3) << "point " << k;
        EXPECT_EQ(list->topLevelItem(1)->text(0), "Pressure");
        EXPECT_EQ(list->topLevelItem(1)->text(1), "11");
        EXPECT_EQ(list->topLevelItem(1)->text(2), p.page.gridText(k, 2));
        EXPECT_EQ(p.page.gridText(k, 2).toInt(),
                  *p.bus.sim.reg(11, 22));  // the raw reading of that point
    }
    p.find<QPushButton>("computeDownloadButton")->click();
    QApplication::processEvents();
    EXPECT_EQ(p.bus.messages.texts(),
              std::vector<std::string>{calib::downloadCompleteText({}).text()});
    for (int j = 1; j <= 3; ++j) {
        const int address = p.page.gridText(0, j).toInt();
        EXPECT_EQ(p.page.gridText(4, j).toStdString(),
                  calib::formatCoefficient(p.page.calibration().coefK(address)));
        EXPECT_EQ(p.page.gridText(5, j).toStdString(),
                  calib::formatCoefficient(p.page.calibration().coefB(address)));
    }
    p.bus.sim.setAppliedPressure(1.234);
    for (int a : {2, 11, 35}) EXPECT_NEAR(*p.bus.sim.measuredValue(a), 1234.0, 1.0) << a;
}

// The line hangs up at the second device's write: the page says what each device holds, shows
// K and B only where a device confirmed them, and keeps every reading in the grid.
TEST(CalibrationPageRun, AHangUpDuringTheDownloadKeepsTheReadingsAndSaysWhatEachDeviceHolds) {
    PageBench p({2, 11, 35});
    p.activateOnTheSmallRange();
    p.selectPoints("2");
    for (int k = 1; k <= 2; ++k) {
        p.bus.sim.setAppliedPressure(k == 1 ? 0.0 : 1.6);
        p.find<QPushButton>(qPrintable("acquireButton" + QString::number(k)))->click();
        QApplication::processEvents();
    }
    p.bus.sim.hangUpAfter(2);
    p.find<QPushButton>("computeDownloadButton")->click();
    QApplication::processEvents();
    EXPECT_EQ(p.bus.messages.texts(),
              (std::vector<std::string>{"Error Code5read serial operation failed!",
                                        calib::downloadInterruptedText({2}, {11}, {35}).text()}));
    EXPECT_EQ(p.page.gridText(3, 1).toStdString(),
              calib::formatCoefficient(p.page.calibration().coefK(2)));
    EXPECT_TRUE(p.page.gridText(3, 2).isEmpty());
    EXPECT_TRUE(p.page.gridText(3, 3).isEmpty());
    for (int j = 1; j <= 3; ++j)
        for (int row = 1; row <= 2; ++row)
            EXPECT_FALSE(p.page.gridText(row, j).isEmpty()) << "point " << row << ", column " << j;
}

TEST(CalibrationPageRun, NoDeviceOnlineKeepsTheListAndShowsTheMessage) {
    PageBench p({6});
    p.page.onSetActive();
    p.page.OnAcquire(1);
    QApplication::processEvents();
    auto* list = p.find<QTreeWidget>("resultList");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    p.bus.ctx.clearOnlineTable();
    p.page.OnAcquire(2);
    QApplication::processEvents();
    EXPECT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(p.bus.messages.texts(),
              std::vector<std::string>{"没有打开串口，或者没有搜索在线设备！"});
    p.page.OnComputeAndDownload();
    EXPECT_EQ(p.bus.messages.texts().back(), "未搜索到在线设备！");
}

TEST(CalibrationPageRun, CancelAcquisitionStopsBeforeTheNextDevice) {
    std::vector<int> many;
    for (int a = 1; a <= 30; ++a) many.push_back(a);
    PageBench p(many, 0.05);
    p.page.onSetActive();
    cancelWaitDialogSoon(60);
    p.page.OnAcquire(1);
    QApplication::processEvents();
    EXPECT_LT(p.bus.sim.framesReceived().size(), 30u);
    EXPECT_EQ(p.find<QTreeWidget>("resultList")->topLevelItemCount(), 0);
    EXPECT_EQ(p.page.calibration().AcqDone[0].load(), 1);
}

TEST(CalibrationPageRun, ThreadStartFailureShowsItsMessageAndNoDialog) {
    PageBench p({1});
    Worker::failNextStartForTest();
    p.page.OnAcquire(4);
    EXPECT_EQ(p.bus.messages.texts(), std::vector<std::string>{"采集线程4启动失败！"});
    Worker::failNextStartForTest();
    p.page.OnComputeAndDownload();
    EXPECT_EQ(p.bus.messages.texts().back(), "批量下载线程启动失败！");
    EXPECT_TRUE(p.bus.sim.framesReceived().empty());
}

// The flags of a run that never started were cleared all the same.
TEST(CalibrationPageRun, ThreadStartFailureLeavesTheFlagsAsTheyWere) {
    PageBench p({1});
    calib::SensorCalibration& c = p.page.calibration();
    c.AcqDone[3] = 1;
    c.AcqFailed[3] = 1;
    c.KBDownloadDone = 1;
    c.KBDownloadFailed = 1;
    Worker::failNextStartForTest();
    p.page.OnAcquire(4);
    Worker::failNextStartForTest();
    p.page.OnComputeAndDownload();
    EXPECT_EQ(c.AcqDone[3].load(), 1);
    EXPECT_EQ(c.AcqFailed[3].load(), 1);
    EXPECT_EQ(c.KBDownloadDone.load(), 1);
    EXPECT_EQ(c.KBDownloadFailed.load(), 1);
}
