// The data collection page: inputs, messages, whole acquisitions behind the wait dialog, the
// import into table and curve, and the scale commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <cerrno>
#include <cstring>

#include <QProgressBar>
#include <QTableView>

#include "acquisition/RecordFile.h"
#include "acquisition/RecordImport.h"
#include "acquisition/qt/CurvePage.h"
#include "acquisition/qt/DataGatherDlg.h"
#include "acquisition/qt/RecordJob.h"
#include "acquisition/qt/TablePage.h"
#include "common/qt/FileDialogs.h"
#include "common/qt/WaitDialogs.h"
#include "link/RegisterMap.h"
#include "shell/qt/KorvelantisView.h"
#include "shell/qt/MainFrame.h"
#include "shell/qt/PropSheet.h"
#include "tests/support/FakeClock.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TestBus.h"
#include "tests/support/qt/EventLoop.h"

using namespace std::chrono_literals;

namespace {

struct PageRig {
    PageRig()
        : clock(std::make_shared<FakeClock>(makeLocalTime(2024, 12, 7, 10, 0))),
          bus({3}, 0.03, 115200, 1.0, clock) {
        bus.open();
        bus.ctx.dataDir = dir.path() + "/Data";
        bus.ctx.CurrentAddress = 3;
        bus.ctx.setLiveSelections("K1", "0000");
        page = std::make_unique<CDataGatherDlg>(bus.ctx);
        page->resize(900, 700);
    }
    ~PageRig() { FileDialogs::setTestAnswer({}); }
    template <class T>
    T* find(const char* name) {
        T* w = page->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void importFile(const std::string& path) {
        FileDialogs::setTestAnswer([this, path](const FileDialogs::Request& r) {
            lastRequest = r;
            return QString::fromStdString(path);
        });
        page->ImportData();
    }

    TempDir dir;
    std::shared_ptr<FakeClock> clock;
    TestBus bus;
    std::unique_ptr<CDataGatherDlg> page;
    FileDialogs::Request lastRequest;
};

const std::string kThree = std::string(kRecordHeader) + "12-07 10:00\t20.000\t0\t0\t0\r\n" +
                           "12-07 10:10\t30.000\t0\t0\t0\r\n" + "12-07 10:20\t25.000\t0\t0\t0\r\n";

}  // namespace

TEST(DataGatherPage, ReservationLayoutFirstThenImmediate) {
    PageRig r;
    EXPECT_TRUE(r.find<QRadioButton>("reserveRadio")->isChecked());
    EXPECT_FALSE(r.find<QPushButton>("immediateAcquisition")->isEnabled());
    EXPECT_TRUE(r.find<QLineEdit>("immediateInterval")->isReadOnly());
    EXPECT_EQ(r.find<QDateTimeEdit>("startTime")->displayFormat(), "yyyy/MM/dd HH:mm");
    r.find<QRadioButton>("immediateRadio")->click();
    EXPECT_TRUE(r.find<QPushButton>("immediateAcquisition")->isEnabled());
    EXPECT_FALSE(r.find<QPushButton>("reserveAcquisition")->isEnabled());
    EXPECT_FALSE(r.find<QDateTimeEdit>("endTime")->isEnabled());
    EXPECT_TRUE(r.find<QLineEdit>("reserveInterval")->isReadOnly());
    auto* tabs = r.find<QTabWidget>("recordTabs");
    EXPECT_EQ(tabs->tabText(0), "Record data");
    EXPECT_EQ(tabs->tabText(1), "Record curve");
    EXPECT_TRUE(
        r.find<QLabel>("dataDirLabel")->text().contains(QString::fromStdString(r.dir.path())));
}

TEST(DataGatherPage, RefusedInputsShowTheirMessagesAndNoDialog) {
    PageRig r;
    r.find<QPushButton>("reserveAcquisition")->click();
    r.find<QRadioButton>("immediateRadio")->click();
    r.find<QLineEdit>("immediateInterval")->setText("90");
    r.find<QLineEdit>("duration")->setText("1");
    r.find<QPushButton>("immediateAcquisition")->click();
    EXPECT_EQ(r.bus.messages.texts(),
              (std::vector<std::string>{"Time Interval can not be empty",
                                        "Duration time can not be less than the interval"}));
}

TEST(DataGatherPage, ImmediateAcquisitionFromTheButtonWritesTheRecordFile) {
    PageRig r;
    r.find<QRadioButton>("immediateRadio")->click();
    r.find<QLineEdit>("immediateInterval")->setText("30");
    r.find<QLineEdit>("duration")->setText("2");
    r.find<QPushButton>("immediateAcquisition")->click();  // returns when the dialog closed
    EXPECT_TRUE(r.page->session().finished());
    EXPECT_EQ(r.find<QLabel>("immediateCount")->text(), "4");
    EXPECT_EQ(r.page->session().taken(), 4);
    const auto bytes = readFileBytes(r.page->session().recordPath().string());
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 5);
    EXPECT_TRUE(std::filesystem::exists(r.bus.ctx.dataDir));  // created when missing
}

// The disk was full at the start: the header failed, and the acquisition used to go on and make
// its first sample the column names. Now nothing starts, and the page says why.
TEST(DataGatherPage, HeaderThatCannotBeWrittenStartsNothingAndTellsWhy) {
    PageRig r;
    writeFileBytes(r.dir.file("blocker"), "x");
    r.bus.ctx.dataDir = r.dir.file("blocker") + "/Data";
    r.find<QRadioButton>("immediateRadio")->click();
    r.find<QLineEdit>("immediateInterval")->setText("30");
    r.find<QLineEdit>("duration")->setText("2");
    r.find<QPushButton>("immediateAcquisition")->click();  // no wait dialog to close
    EXPECT_TRUE(r.page->session().finished());
    EXPECT_EQ(r.page->session().taken(), 0);
    const auto e = r.bus.messages.entries();
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].text, "File Open Failed!");
    EXPECT_EQ(e[0].detail, std::strerror(ENOTDIR));
    EXPECT_FALSE(r.find<QPushButton>("openRecordButton")->isEnabled());
}

TEST(DataGatherPage, ReservationFromThePickers) {
    PageRig r;
    r.find<QLineEdit>("reserveInterval")->setText("10");
    auto* start = r.find<QDateTimeEdit>("startTime");
    auto* end = r.find<QDateTimeEdit>("endTime");
    end->setDateTime(start->dateTime().addSecs(30 * 60));
    start->setDateTime(start->dateTime().addSecs(5 * 60));
    r.find<QPushButton>("reserveAcquisition")->click();
    EXPECT_EQ(r.find<QLabel>("reserveCount")->text(), "2");
    EXPECT_EQ(r.page->session().taken(), 2);
    const auto b = readFileBytes(r.page->session().recordPath().string());
    const std::string text(b.begin(), b.end());
    EXPECT_NE(text.find("12-07 10:05\t"), std::string::npos);
    EXPECT_NE(text.find("12-07 10:15\t"), std::string::npos);
}

TEST(DataGatherPage, FarEndTimeIsHeldWhereTheClockCanCountIt) {
    PageRig r;
    r.bus.ctx.CurrentAddress = 0;  // the count is shown, nothing starts
    r.find<QLineEdit>("reserveInterval")->setText("1");
    auto* start = r.find<QDateTimeEdit>("startTime");
    auto* end = r.find<QDateTimeEdit>("endTime");
    end->setDateTime(QDateTime(QDate(9999, 12, 31), QTime(23, 59)));
    EXPECT_LT(end->dateTime().date().year(), 2262);
    r.find<QPushButton>("reserveAcquisition")->click();
    EXPECT_EQ(r.bus.messages.texts(),
              std::vector<std::string>{"No device, you can not search the data!"});
    EXPECT_EQ(r.find<QLabel>("reserveCount")->text(),
              QString::number(start->dateTime().secsTo(end->dateTime()) / 60));
}

TEST(DataGatherPage, ImportFillsTableAndCurve) {
    PageRig r;
    writeFileBytes(r.dir.file("a.rec"), kThree);
    r.importFile(r.dir.file("a.rec"));
    EXPECT_EQ(r.lastRequest.title, "Import data file");
    EXPECT_EQ(r.lastRequest.filter, "Rec Files (*.rec);;All Files (*)");
    auto* model = r.page->tablePage()->model();
    EXPECT_EQ(model->columnCount(), 5);
    EXPECT_EQ(model->rowCount(), 4);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Time");
    EXPECT_EQ(model->data(model->index(0, 1), Qt::DisplayRole).toString(), "20.000");
    EXPECT_EQ(model->data(model->index(3, 0), Qt::DisplayRole).toString(), "");
    auto* curve = r.page->curvePage();
    EXPECT_TRUE(curve->plot()->loaded());
    EXPECT_EQ(curve->plot()->series().size(), 3u);
    EXPECT_EQ(curve->topLabel()->text(), "40.000");  // F = 20, half of 40
    EXPECT_EQ(curve->middleLabel()->text(), "20.000");
    EXPECT_EQ(curve->bottomLabel()->text(), "0.000");
}

TEST(DataGatherPage, FailedOrCancelledImportKeepsTheOldTableAndTellsWhy) {
    PageRig r;
    writeFileBytes(r.dir.file("a.rec"), kThree);
    r.importFile(r.dir.file("a.rec"));
    r.importFile(r.dir.file("missing.rec"));
    const auto e = r.bus.messages.entries();
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].text, "File Open Failed!");
    EXPECT_EQ(e[0].detail, std::strerror(ENOENT));
    EXPECT_EQ(r.page->tablePage()->model()->rowCount(), 4);
    EXPECT_FALSE(r.bus.ctx.importState.loaded());
    r.importFile("");  // the dialog cancelled
    EXPECT_EQ(r.page->tablePage()->model()->rowCount(), 4);
    writeFileBytes(r.dir.file("h.rec"), std::string(kRecordHeader).substr(0, 13));
    r.importFile(r.dir.file("h.rec"));
    EXPECT_EQ(r.page->tablePage()->model()->rowCount(), 0);
    EXPECT_EQ(r.page->tablePage()->model()->columnCount(), 5);
    EXPECT_FALSE(r.page->curvePage()->plot()->loaded());
}

TEST(DataGatherPage, ScaleCommandsBeforeAnImportChangeOnlyLabelsAndChoices) {
    PageRig r;
    auto* curve = r.page->curvePage();
    const QImage grid = curve->plot()->image();
    r.page->OnOutputIndex(2);
    EXPECT_EQ(r.bus.ctx.OutputIndex, 2);
    EXPECT_EQ(curve->topLabel()->text(), "40.000");
    r.page->OnTimeDivision(10);
    EXPECT_EQ(r.bus.ctx.MinutesPerDivision, 10);
    EXPECT_EQ(curve->xLabel(1)->text(), "10");
    EXPECT_EQ(curve->xLabel(10)->text(), "100");
    EXPECT_EQ(curve->timeUnitLabel()->text(), QString::fromUtf8("分钟"));
    r.page->OnTimeDivision(120);
    EXPECT_EQ(curve->xLabel(3)->text(), "6");
    EXPECT_EQ(curve->timeUnitLabel()->text(), QString::fromUtf8("小时"));
    EXPECT_EQ(curve->plot()->image(), grid);
    // The next import takes the half range chosen before it.
    writeFileBytes(r.dir.file("a.rec"), kThree);
    r.importFile(r.dir.file("a.rec"));
    EXPECT_EQ(curve->topLabel()->text(), "30.000");
    EXPECT_EQ(curve->bottomLabel()->text(), "10.000");
}

TEST(DataGatherPage, ScaleCommandsAfterAnImportRedrawTheCurve) {
    PageRig r;
    writeFileBytes(r.dir.file("a.rec"), kThree);
    r.importFile(r.dir.file("a.rec"));
    auto* curve = r.page->curvePage();
    const QImage hourly = curve->plot()->image();
    r.page->OnTimeDivision(5);
    EXPECT_NE(curve->plot()->image(), hourly);
    const QImage fine = curve->plot()->image();
    r.page->OnOutputIndex(0);
    EXPECT_EQ(curve->topLabel()->text(), "60.000");
    EXPECT_EQ(curve->bottomLabel()->text(), "-20.000");
    EXPECT_NE(curve->plot()->image(), fine);
}

TEST(DataGatherPage, ActivationShowsTheMeasuringUnit) {
    PageRig r;
    BasicSettings b = r.bus.ctx.basicSettings();
    b.SignalUnitText = "kPa";
    r.bus.ctx.setBasicSettings(b);
    r.page->onSetActive();
    EXPECT_EQ(r.page->curvePage()->unitLabel()->text(), "kPa");
}

TEST(DataGatherPage, LargeImportRunsOnAWorkerBehindAWaitDialog) {
    PageRig r;
    std::string file(kRecordHeader);
    std::tm t{};
    t.tm_year = 124;
    t.tm_mday = 1;
    while (file.size() <= kRecordJobInPlaceBytes) {
        file += recordSampleLine(t, "12.50");
        ++t.tm_min;
        std::mktime(&t);
    }
    writeFileBytes(r.dir.file("big.rec"), file);
    QString dialog, caption;
    whenModal<WaitDialog>([&](WaitDialog* d) {
        dialog = d->objectName();
        caption = d->button()->text();
    });
    r.importFile(r.dir.file("big.rec"));
    EXPECT_EQ(dialog, "recordJobWaitDlg");
    EXPECT_EQ(caption, "Cancel Import");
    EXPECT_TRUE(r.bus.messages.texts().empty());
    EXPECT_EQ(static_cast<std::size_t>(r.page->tablePage()->model()->rowCount()),
              r.bus.ctx.importState.DataRows + 1);
    EXPECT_GT(r.bus.ctx.importState.DataRows, 60000u);
    EXPECT_TRUE(r.page->curvePage()->plot()->loaded());
}

// After an import the range changed on the basic page: a redraw (a resize, the page's
// activation) draws on the new span, and the labels must say so.
TEST(DataGatherPage, ValueLabelsShowTheSpanTheCurveIsDrawnWith) {
    PageRig r;
    writeFileBytes(r.dir.file("a.rec"), kThree);
    r.importFile(r.dir.file("a.rec"));
    auto* curve = r.page->curvePage();
    EXPECT_EQ(curve->topLabel()->text(), "40.000");
    BasicSettings b = r.bus.ctx.basicSettings();
    b.RangeStart = 0.0f;
    b.RangeEnd = 1.6f;
    r.bus.ctx.setBasicSettings(b);
    r.page->show();
    r.find<QTabWidget>("recordTabs")->setCurrentWidget(curve);
    r.page->resize(r.page->width() + 50, r.page->height());
    QApplication::processEvents();
    EXPECT_EQ(curve->topLabel()->text(), "20.800");
    EXPECT_EQ(curve->middleLabel()->text(), "20.000");
    EXPECT_EQ(curve->bottomLabel()->text(), "19.200");
    const QImage drawn = curve->plot()->image();
    b.RangeEnd = 4.0f;
    r.bus.ctx.setBasicSettings(b);
    r.page->onSetActive();
    EXPECT_EQ(curve->topLabel()->text(), "22.000");
    EXPECT_EQ(curve->bottomLabel()->text(), "18.000");
    EXPECT_NE(curve->plot()->image(), drawn);
}

// A silent device: the acquisition never ends by itself; its dialog shows how it goes, and
// Cancel closes it.
TEST(DataGatherPage, WaitDialogShowsTheAcquisitionAsItRunsAndCancelClosesIt) {
    PageRig r;
    SimFaults f;
    f.silent = true;
    r.bus.sim.setFaults(3, f);
    r.find<QRadioButton>("immediateRadio")->click();
    r.find<QLineEdit>("immediateInterval")->setText("1");
    r.find<QLineEdit>("duration")->setText("5");
    QString text;
    int barMaximum = -1;
    bool barShown = false;
    whenModal<CGatherWaitDlg>([&](CGatherWaitDlg* d) {
        auto* label = d->findChild<QLabel*>("waitProgressText");
        auto* bar = d->findChild<QProgressBar*>("waitProgressBar");
        waitFor([&] { return label->text().contains("without answer"); });
        text = label->text();
        barShown = bar->isVisibleTo(d);
        barMaximum = bar->maximum();
        d->button()->click();
    });
    r.find<QPushButton>("immediateAcquisition")->click();  // returns when the dialog closed
    EXPECT_TRUE(r.page->session().finished());
    EXPECT_EQ(r.page->session().taken(), 0);
    EXPECT_TRUE(text.startsWith("0 of 300 samples taken, ")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nNext sample at ")) << text.toStdString();
    EXPECT_TRUE(barShown);
    EXPECT_EQ(barMaximum, 300);
    // Nothing was taken: nothing to offer.
    EXPECT_FALSE(r.page->openRecordButton()->isEnabled());
    EXPECT_TRUE(r.find<QLabel>("dataDirLabel")->text().startsWith("Record file: "));
}

TEST(DataGatherPage, FileJustWrittenOpensInTableAndCurve) {
    PageRig r;
    EXPECT_FALSE(r.page->openRecordButton()->isEnabled());
    r.find<QRadioButton>("immediateRadio")->click();
    r.find<QLineEdit>("immediateInterval")->setText("30");
    r.find<QLineEdit>("duration")->setText("2");
    r.find<QPushButton>("immediateAcquisition")->click();
    ASSERT_EQ(r.page->session().taken(), 4);
    EXPECT_EQ(r.find<QLabel>("dataDirLabel")->text(),
              "Record file: " + QString::fromStdString(r.page->session().recordPath().string()));
    ASSERT_TRUE(r.page->openRecordButton()->isEnabled());
    r.page->openRecordButton()->click();
    EXPECT_EQ(r.page->tablePage()->model()->rowCount(), 5);
    auto* model = r.page->tablePage()->model();
    EXPECT_EQ(model->data(model->index(3, 0), Qt::DisplayRole).toString(), "12-07 12:00");
    EXPECT_EQ(r.page->curvePage()->plot()->series().size(), 4u);
    EXPECT_EQ(r.find<QTabWidget>("recordTabs")->currentWidget(), r.page->tablePage());
}

// The whole page, with the controls it gained, at 1280 x 720.
TEST(DataGatherPage, FitsTheWindowAt1280x720) {
    RecordingMessages messages;
    AppContext ctx{messages};
    CMainFrame frame(ctx);
    frame.view()->OnInitialUpdate();
    frame.resize(1280, 720);
    frame.show();
    CPropSheet* sheet = frame.view()->sheet();
    CDataGatherDlg* page = sheet->dataGatherPage();
    sheet->SetActivePage(sheet->indexOf(page));
    auto* tabs = page->findChild<QTabWidget*>("recordTabs");
    const auto inside = [](QWidget* w, QWidget* within) {
        const QRect r(w->mapTo(within, QPoint(0, 0)), w->size());
        return w->isVisible() && within->rect().contains(r);
    };
    for (int tab : {0, 1}) {
        tabs->setCurrentIndex(tab);
        QApplication::processEvents();
        EXPECT_LE(frame.height(), 720);
        EXPECT_GE(page->height(), page->minimumSizeHint().height());
        EXPECT_TRUE(inside(page->openRecordButton(), page));
        EXPECT_TRUE(inside(tabs, page));
    }
    tabs->setCurrentIndex(0);
    QApplication::processEvents();
    EXPECT_TRUE(inside(page->tablePage()->exportButton(), page));
    tabs->setCurrentIndex(1);
    QApplication::processEvents();
    EXPECT_TRUE(inside(page->curvePage()->saveButton(), page));
    EXPECT_TRUE(inside(page->curvePage()->readoutLabel(), page));
    EXPECT_TRUE(inside(page->curvePage()->timeUnitLabel(), page));
    frame.hide();
}
