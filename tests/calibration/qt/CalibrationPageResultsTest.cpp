// The Calibration page's results: readings that belong to their targets, coefficients shown only
// where written, the fit quality table, verification and the report, and its fit in the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QTreeWidget>
#include <filesystem>

#include "calibration/CalibrationReport.h"
#include "calibration/qt/CalibrationPage.h"
#include "calibration/qt/FitQualityTable.h"
#include "shell/qt/KorvelantisView.h"
#include "shell/qt/MainFrame.h"
#include "shell/qt/PropSheet.h"
#include "tests/calibration/qt/PageBench.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TestBus.h"
#include "tests/support/qt/EventLoop.h"

namespace {

struct ResultsBench : OnlinePageBench<CCalibrationPage> {
    explicit ResultsBench(std::vector<int> addresses, float start = 0.0f, float end = 1.6f)
        : OnlinePageBench(std::move(addresses)) {
        BasicSettings s;
        s.RangeStart = start;
        s.RangeEnd = end;
        s.PointPositionText = "0.000";
        bus.ctx.setBasicSettings(s);
        bus.ctx.dataDir = std::filesystem::path(dir.path()) / "Data";
        page.onSetActive();
    }
    void selectPoints(const char* n) { find<QComboBox>("pointCountCombo")->setCurrentText(n); }
    void press(const QString& name) {
        find<QPushButton>(qPrintable(name))->click();
        QApplication::processEvents();
    }
    void acquire(int point, double applied) {
        bus.sim.setAppliedPressure(applied);
        press("acquireButton" + QString::number(point));
    }
    // Every point of the page's targets with its target applied.
    void acquireAll() {
        const auto t = calib::targetValues(page.targets());
        for (int k = 1; k <= page.targets().pointCount; ++k) acquire(k, t[k - 1]);
    }
    void compute() { press("computeDownloadButton"); }
    int coefficientWrites() const {
        int n = 0;
        for (const auto& f : bus.sim.framesReceived())
            n += f.bytes.size() > 1 && f.bytes[1] == 0x10;
        return n;
    }
    int listRows() { return find<QTreeWidget>("resultList")->topLevelItemCount(); }
    CFitQualityTable* quality() { return page.fitQualityTable(); }

    TempDir dir;
};

}  // namespace

// The reproduction: readings of 5 points, then 3 points chosen and compute pressed, wrote K and
// B fitted to the wrong targets into every device without a word.
TEST(CalibrationPageTargets, ChoosingThreePointsAfterAFivePointAcquisitionWritesNothing) {
    ResultsBench p({4, 9});
    p.selectPoints("5");
    p.acquireAll();
    ASSERT_FALSE(p.page.gridText(5, 1).isEmpty());
    p.bus.messages.setAnswer(true);
    p.selectPoints("3");
    for (int row = 1; row <= 3; ++row)
        for (int column = 1; column <= 2; ++column)
            EXPECT_TRUE(p.page.gridText(row, column).isEmpty()) << row << "," << column;
    EXPECT_EQ(p.listRows(), 0);
    p.bus.sim.clearFramesReceived();
    p.compute();
    EXPECT_EQ(p.coefficientWrites(), 0);
    EXPECT_EQ(p.bus.messages.texts(),
              std::vector<std::string>{calib::pointsNotAcquiredText({1, 2, 3}).text()});
}

TEST(CalibrationPageTargets, ANewRangeOnTheBasicPageClearsReadingsButARevisitKeepsThem) {
    ResultsBench p({6});
    p.acquire(1, 0.0);
    p.page.onSetActive();  // nothing changed
    EXPECT_FALSE(p.page.gridText(1, 1).isEmpty());
    EXPECT_EQ(p.listRows(), 1);

    BasicSettings s = p.bus.ctx.basicSettings();
    s.RangeEnd = 2.5f;
    p.bus.ctx.setBasicSettings(s);
    p.page.onSetActive();
    EXPECT_TRUE(p.page.gridText(1, 1).isEmpty());
    EXPECT_EQ(p.listRows(), 0);
    EXPECT_EQ(p.page.gridText(3, 0), "2.500");
    EXPECT_TRUE(p.page.calibration().snapshot().devices.empty());
}

TEST(CalibrationPageGrid, NeverShowsCoefficientsThatWereNotWritten) {
    ResultsBench p({2, 5, 7});
    p.selectPoints("2");
    p.bus.sim.setFaults(5, SimFaults{.silent = true});
    p.acquire(1, 0.0);
    p.bus.sim.setFaults(5, {});
    p.acquire(2, 1.6);
    p.bus.sim.setFaults(7, SimFaults{.badCrc = true});  // its write is not confirmed
    p.compute();
    EXPECT_EQ(p.bus.messages.texts(),
              (std::vector<std::string>{calib::missingReadingsText({5}).text(),
                                        calib::writeVerifyFailedText(7).text(),
                                        calib::downloadCompleteText({}).text()}));
    const int k = calib::kRow(2), b = calib::bRow(2);
    EXPECT_EQ(p.page.gridText(k, 1).toStdString(),
              calib::formatCoefficient(p.page.calibration().coefK(2)));
    EXPECT_FALSE(p.page.gridText(b, 1).isEmpty());
    for (int column : {2, 3}) {
        EXPECT_TRUE(p.page.gridText(k, column).isEmpty()) << column;  // not "0.000000e+00"
        EXPECT_TRUE(p.page.gridText(b, column).isEmpty()) << column;
    }
    EXPECT_EQ(p.quality()->cellText(CFitQualityTable::judgementRow(2), 2),
              QString::fromUtf8(FitQualityText::kMissing));
}

TEST(CalibrationPageQuality, ShowsEachResidualAndMarksTheDeviceWithAWrongPoint) {
    ResultsBench p({3, 8, 21});
    p.bus.sim.setGainOffset(3, 9000.0, 400.0);
    p.bus.sim.setGainOffset(8, 12500.0, 1500.0);
    p.bus.sim.setGainOffset(21, 7300.0, 2200.0);
    p.acquire(1, 0.0);
    p.bus.sim.setGainOffset(21, 7900.0, 2200.0);  // a wrong point 2
    p.acquire(2, 0.8);
    p.bus.sim.setGainOffset(21, 7300.0, 2200.0);
    p.acquire(3, 1.6);
    p.compute();
    EXPECT_EQ(p.bus.messages.texts(),
              std::vector<std::string>{calib::downloadCompleteText({21}).text()});
    CFitQualityTable* q = p.quality();
    ASSERT_EQ(q->shapeRows(), 7);
    ASSERT_EQ(q->shapeColumns(), 4);
    EXPECT_EQ(q->cellText(0, 3), "21");
    EXPECT_EQ(q->cellText(2, 0), QString::fromUtf8("第2点残差"));
    // Residuals of the exact least-squares line through 2200, 8520, 13880 (see the core test).
    EXPECT_EQ(q->cellText(1, 3), "-0.0201");
    EXPECT_EQ(q->cellText(2, 3), "0.0437");
    EXPECT_EQ(q->cellText(3, 3), "-0.0237");
    EXPECT_EQ(q->cellText(CFitQualityTable::largestRow(3), 3), "0.0437");
    EXPECT_TRUE(q->isMarked(3));
    EXPECT_FALSE(q->isMarked(1));
    EXPECT_FALSE(q->isMarked(2));
    EXPECT_EQ(q->cellText(CFitQualityTable::judgementRow(3), 1),
              QString::fromUtf8(FitQualityText::kWithin));
    // Still written: its K is in the grid.
    EXPECT_FALSE(p.page.gridText(calib::kRow(3), 3).isEmpty());
}

TEST(CalibrationPageVerify, ShowsEachWrittenDevicesErrorAtTheAppliedPoint) {
    ResultsBench p({3, 8});
    p.bus.sim.setGainOffset(3, 9000.0, 400.0);
    p.bus.sim.setGainOffset(8, 12500.0, 1500.0);
    p.acquireAll();
    p.compute();
    p.bus.messages.clear();
    p.bus.sim.setGainOffset(8, 12500.0, 1750.0);  // drifted by 0.02 MPa since
    p.bus.sim.setAppliedPressure(1.6);
    p.press("verifyButton3");
    EXPECT_TRUE(p.bus.messages.texts().empty());
    CFitQualityTable* q = p.quality();
    const int row = CFitQualityTable::verifyRow(3);
    EXPECT_EQ(q->cellText(row, 0), QString::fromUtf8("第3点校验误差"));
    EXPECT_NEAR(q->cellText(row, 1).toDouble(), 0.0, 0.0006);
    EXPECT_NEAR(q->cellText(row, 2).toDouble(), 0.02, 0.0006);
    // 0.02 MPa is beyond 0.5 % of the 1.6 MPa span (0.008), as a fit would be judged.
    EXPECT_FALSE(q->isVerifyMarked(1));
    EXPECT_TRUE(q->isVerifyMarked(2));
    p.bus.sim.setGainOffset(8, 12500.0, 1560.0);  // 0.0048 MPa: within
    p.press("verifyButton3");
    EXPECT_NEAR(q->cellText(row, 2).toDouble(), 0.0048, 0.0006);
    EXPECT_FALSE(q->isVerifyMarked(2));

    p.bus.sim.setFaults(3, SimFaults{.silent = true});
    p.press("verifyButton3");
    EXPECT_EQ(q->cellText(row, 1), QString::fromUtf8(FitQualityText::kNoAnswer));
}

TEST(CalibrationPageVerify, BeforeAnyDownloadSaysSo) {
    ResultsBench p({3});
    p.acquireAll();
    p.press("verifyButton1");
    EXPECT_EQ(p.bus.messages.texts(), std::vector<std::string>{calib::kNothingToVerify});
}

TEST(CalibrationPageReport, IsSavedIntoTheDataDirectoryAndSaysWhere) {
    ResultsBench p({3, 8});
    p.press("saveReportButton");
    EXPECT_EQ(p.bus.messages.texts(), std::vector<std::string>{calib::kNothingToReport});
    p.bus.messages.clear();

    p.acquireAll();
    p.compute();
    p.bus.messages.clear();
    p.press("saveReportButton");
    const auto texts = p.bus.messages.texts();
    ASSERT_EQ(texts.size(), 1u);
    const std::string prefix = calib::reportSavedText("").text();
    ASSERT_EQ(texts[0].rfind(prefix, 0), 0u) << texts[0];
    const std::filesystem::path path = texts[0].substr(prefix.size());
    EXPECT_EQ(path.parent_path(), p.bus.ctx.dataDir);
    const auto bytes = readFileBytes(path.string());
    const std::string csv(bytes.begin(), bytes.end());
    EXPECT_EQ(csv, calib::calibrationReportCsv(p.page.calibration().snapshot(), "MPa"));
    EXPECT_NE(csv.find("\n3,written,"), std::string::npos);
    EXPECT_NE(csv.find("\n8,written,"), std::string::npos);
}

// Another point count after a finished calibration threw the readings, K, B and judgements away
// without a word, and "保存标定报告" then said there was nothing to save.
TEST(CalibrationPageReport, AnotherPointCountAsksFirstAndTheReportKeepsTheWrittenResults) {
    ResultsBench p({3, 8});
    p.acquireAll();
    p.compute();
    p.bus.messages.clear();
    const std::string written = calib::calibrationReportCsv(p.page.calibration().snapshot(), "MPa");
    const auto savedReport = [&] {
        p.bus.messages.clear();
        p.press("saveReportButton");
        const auto texts = p.bus.messages.texts();
        const std::string prefix = calib::reportSavedText("").text();
        if (texts.size() != 1 || texts[0].rfind(prefix, 0) != 0)
            return texts.empty() ? std::string() : texts[0];
        const auto bytes = readFileBytes(texts[0].substr(prefix.size()));
        return std::string(bytes.begin(), bytes.end());
    };
    auto* count = p.find<QComboBox>("pointCountCombo");

    p.selectPoints("5");  // answered No
    EXPECT_EQ(p.bus.messages.questions(),
              std::vector<std::string>{CCalibrationPage::kDiscardResults});
    EXPECT_EQ(count->currentText(), "3");
    EXPECT_EQ(p.page.targets().pointCount, 3);
    EXPECT_FALSE(p.page.gridText(calib::kRow(3), 1).isEmpty());
    EXPECT_EQ(savedReport(), written);

    p.bus.messages.setAnswer(true);
    p.selectPoints("5");
    EXPECT_EQ(p.page.targets().pointCount, 5);
    EXPECT_TRUE(p.page.gridText(calib::kRow(5), 1).isEmpty());
    EXPECT_EQ(savedReport(), written);
    EXPECT_NE(written.find("\n3,written,"), std::string::npos);

    // New readings: the report is theirs, and a further change asks again.
    p.acquire(1, 0.0);
    const std::string fresh = savedReport();
    EXPECT_EQ(fresh, calib::calibrationReportCsv(p.page.calibration().snapshot(), "MPa"));
    EXPECT_EQ(fresh.find("written"), std::string::npos);
    p.bus.messages.clear();
    p.bus.messages.setAnswer(false);
    p.selectPoints("2");
    EXPECT_EQ(p.bus.messages.questions(),
              std::vector<std::string>{CCalibrationPage::kDiscardResults});
    EXPECT_EQ(count->currentText(), "5");
}

// B read "-1.003329e+..." in columns of a fixed 100 px, the fifth device's column and the verdict
// were cut, and the row captions scrolled away with the cells.
TEST(CalibrationPageLayout, ColumnsFitTheirTextsAndTheCaptionsStayInView) {
    ResultsBench p({3, 8, 21, 33, 47});
    p.selectPoints("5");
    p.acquireAll();
    p.compute();
    ASSERT_TRUE(p.page.gridText(calib::bRow(5), 5).startsWith('-'))  // "-1.003329e+02"
        << p.page.gridText(calib::bRow(5), 5).toStdString();
    p.page.resize(700, 600);
    p.page.show();
    QApplication::processEvents();
    auto* grid = p.find<QTableWidget>("calibrationGrid");
    for (QTableWidget* t : {grid, static_cast<QTableWidget*>(p.quality())}) {
        const QFontMetrics fm(t->font());
        const int padding = 2 * t->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, t);
        for (int c = 0; c < t->columnCount(); ++c) {
            for (int r = 0; r < t->rowCount(); ++r) {
                if (const QTableWidgetItem* i = t->item(r, c)) {
                    EXPECT_GE(t->columnWidth(c), fm.horizontalAdvance(i->text()) + padding)
                        << t->objectName().toStdString() << " " << i->text().toStdString();
                }
            }
            // The two tables' columns stay one above the other.
            EXPECT_EQ(grid->columnWidth(c), p.quality()->columnWidth(c)) << c;
        }
        for (int r = 0; r < t->rowCount(); ++r)
            EXPECT_GE(t->verticalHeader()->width(),
                      fm.horizontalAdvance(t->verticalHeaderItem(r)->text()))
                << t->verticalHeaderItem(r)->text().toStdString();
        // Scrolled to its last column, the row captions are still beside the cells.
        t->horizontalScrollBar()->setValue(t->horizontalScrollBar()->maximum());
        QApplication::processEvents();
        EXPECT_TRUE(t->verticalHeader()->isVisible());
        EXPECT_EQ(t->verticalHeader()->geometry().left(), t->frameWidth());
    }
    EXPECT_EQ(grid->verticalHeader()->width(), p.quality()->verticalHeader()->width());
}

// The window at 1280 x 720 after the login, five points: every control of the page on screen,
// and the tables tall enough to read a few rows.
TEST(CalibrationPageLayout, FitsTheWindowAt1280By720) {
    RecordingMessages messages;
    AppContext ctx(messages);
    CMainFrame frame(ctx);
    frame.view()->OnInitialUpdate();
    frame.show();
    ASSERT_TRUE(frame.view()->enterEnterpriseMode());
    QApplication::processEvents();  // the frame's minimum follows the pages of the login
    frame.resize(1280, 720);
    for (int a = 1; a <= 60; ++a) ctx.OnlineTable[a - 1] = 1;  // a full bus
    CPropSheet* sheet = frame.view()->sheet();
    CCalibrationPage* page = sheet->calibrationPage();
    sheet->SetActivePage(sheet->indexOf(page));
    page->findChild<QComboBox*>("pointCountCombo")->setCurrentText("5");
    QApplication::processEvents();
    ASSERT_LE(frame.height(), 720);
    const QRect window = frame.rect();
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->objectName().isEmpty() || w->objectName().startsWith("qt_"))
            continue;
        const QRect r(w->mapTo(&frame, QPoint(0, 0)), w->size());
        EXPECT_TRUE(window.contains(r)) << w->objectName().toStdString();
        EXPECT_GE(w->height(), std::min(w->minimumSizeHint().height(), 20))
            << w->objectName().toStdString();
    }
    for (const char* table : {"calibrationGrid", "fitQualityTable"}) {
        auto* t = page->findChild<QTableWidget*>(table);
        EXPECT_GE(t->viewport()->height(), 4 * t->rowHeight(0)) << table;
    }
    EXPECT_GE(page->findChild<QTreeWidget*>("resultList")->height(), 100);
    frame.hide();
}
