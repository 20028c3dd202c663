#include "shell/qt/Screenshots.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <memory>

#include "acquisition/RecordExport.h"
#include "acquisition/RecordFile.h"
#include "acquisition/RecordImport.h"
#include "acquisition/qt/DataGatherDlg.h"
#include "base/Progress.h"
#include "base/ProgressTexts.h"
#include "calibration/qt/CalibrationPage.h"
#include "common/qt/FileDialogs.h"
#include "common/qt/ProgressText.h"
#include "common/qt/Translate.h"
#include "common/qt/WaitDialogs.h"
#include "config/qt/BasicConfigPage.h"
#include "shell/qt/AboutDlg.h"
#include "shell/qt/BusMonitorWindow.h"
#include "shell/qt/KorvelantisView.h"
#include "shell/qt/LoginDlg.h"
#include "shell/qt/MainFrame.h"
#include "shell/qt/PropSheet.h"
#include "shell/qt/SerialConfigDlg.h"
#include "shell/qt/WindowPlacement.h"
#include "sim/SimBus.h"

namespace {

class Tour {
public:
    Tour(CMainFrame& frame, const QString& dir, const TourVisitor& visit)
        : frame_(frame), dir_(dir), visit_(visit) {}

    void shoot(QWidget* w, const QString& name) {
        QApplication::processEvents();
        if (visit_)
            visit_(w, name);
        const QString file =
            dir_.filePath(QString("%1-%2.png").arg(++count_, 2, 10, QChar('0')).arg(name));
        if (!w->grab().save(file)) {
            std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(file));
            failed_ = true;
        } else {
            std::printf("%s\n", qPrintable(file));
        }
    }

    void pages(const QString& stage) {
        CPropSheet* sheet = frame_.view()->sheet();
        for (int i = 0; i < sheet->count(); ++i) {
            sheet->SetActivePage(i);
            shoot(&frame_,
                  QString("%1-page-%2")
                      .arg(stage, slug(sheet->tabText(i), sheet->activePage()->objectName())));
        }
        sheet->SetActivePage(0);
    }

    void menus(const QString& stage) {
        frame_.updateCommandUI();
        for (QAction* top : frame_.menuBar()->actions()) {
            QMenu* menu = top->menu();
            if (!menu)
                continue;
            menu->popup(frame_.mapToGlobal(QPoint(0, 0)));
            shoot(menu, QString("%1-menu-%2").arg(stage, slug(menu->title(), menu->objectName())));
            for (QAction* item : menu->actions()) {
                if (QMenu* sub = item->menu()) {
                    sub->popup(frame_.mapToGlobal(QPoint(200, 0)));
                    shoot(sub,
                          QString("%1-menu-%2").arg(stage, slug(sub->title(), sub->objectName())));
                    sub->hide();
                }
            }
            menu->hide();
        }
    }

    // The "Record curve" tab of "Data Collection", showing a short record file imported as the
    // operator would.
    void curveTab(const QString& stage) {
        CPropSheet* sheet = frame_.view()->sheet();
        CDataGatherDlg* page = sheet->dataGatherPage();
        auto* tabs = page->findChild<QTabWidget*>("recordTabs");
        const int index = sheet->indexOf(page);
        QTemporaryDir tmp;
        if (index < 0 || !tabs || !tmp.isValid())
            return;
        const QString file = tmp.filePath("sample.rec");
        std::string bytes(kRecordHeader);
        std::tm t{};
        t.tm_year = 124;
        t.tm_mon = 11;
        t.tm_mday = 7;
        t.tm_hour = 10;
        static constexpr int kValues[] = {2000, 2150, 2210, 2080, 1930,
                                          1870, 2040, 2320, 2480, 2390};
        for (int i = 0; i < static_cast<int>(std::size(kValues)); ++i) {
            // Every ten minutes from 10:00, as the clock reads them (11:00, not 10:60).
            t.tm_hour = 10 + i * 10 / 60;
            t.tm_min = i * 10 % 60;
            bytes += recordSampleLine(
                t, recordValueText(static_cast<std::uint16_t>(kValues[i]), "00.00"));
        }
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) ||
            out.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
                static_cast<qint64>(bytes.size()))
            return;
        out.close();
        FileDialogs::setTestAnswer([file](const FileDialogs::Request&) { return file; });
        page->ImportData();
        FileDialogs::setTestAnswer({});
        sheet->SetActivePage(index);
        tabs->setCurrentIndex(1);
        shoot(&frame_, QString("%1-page-data-collection-record-curve").arg(stage));
        tabs->setCurrentIndex(0);
        sheet->SetActivePage(0);
    }

    // A five-point calibration of the simulated devices, each point applied in the status bar's
    // pressure box as the operator would, then the bus monitor with its traffic.
    void calibration(AppContext& ctx, SimBus& sim) {
        CPropSheet* sheet = frame_.view()->sheet();
        CCalibrationPage* page = sheet->calibrationPage();
        auto* pressure = frame_.findChild<QDoubleSpinBox*>("appliedPressure");
        auto* count = page ? page->findChild<QComboBox*>("pointCountCombo") : nullptr;
        if (!page || !pressure || !count)
            return;
        // Made first, so it hears the traffic; it keeps what it heard while hidden.
        BusMonitorWindow* monitor = frame_.showBusMonitor();
        monitor->hide();
        for (int a : sim.addresses()) ctx.OnlineTable[a - 1] = 1;
        sheet->SetActivePage(sheet->indexOf(page));
        BasicSettings s = ctx.basicSettings();
        s.RangeStart = 0.0f;
        s.RangeEnd = 1.6f;
        s.PointPositionText = "0.000";
        s.SignalTypeText = "Pressure";
        s.SignalUnitText = "MPa";
        ctx.setBasicSettings(s);
        page->onSetActive();
        count->setCurrentText("5");
        const auto targets = calib::targetValues(page->targets());
        for (int k = 1; k <= 5; ++k) {
            pressure->setValue(targets[static_cast<std::size_t>(k - 1)]);
            page->OnAcquire(k);
        }
        page->OnComputeAndDownload();
        page->OnVerify(5);
        shoot(&frame_, "after-page-calibration-five-points");
        frame_.showBusMonitor();
        QElapsedTimer drained;
        drained.start();
        while (drained.elapsed() < 500) QApplication::processEvents(QEventLoop::AllEvents, 50);
        shoot(monitor, "after-bus-monitor");
        monitor->hide();
        sheet->SetActivePage(0);
    }

    void dialog(QDialog* d, const QString& name) {
        std::unique_ptr<QDialog> owner(d);
        d->show();
        shoot(d, name);
        d->hide();
    }

    // A wait dialog showing `progress` below its text, as its worker would have it.
    void waitDialog(WaitDialog* d, const Progress& progress, const QString& name) {
        d->followProgress(&progress);
        dialog(d, name);
    }

    // The status bar during the ordinary search.
    void searchStatus(const QString& text, int done, int total) {
        frame_.showStatus(QString::fromUtf8(CBasicConfigPage::kSearchRunning));
        frame_.showSearchProgress(text, done, total);
        shoot(&frame_, "status-ordinary-search");
        frame_.showSearchProgress({}, 0, 0);
        frame_.showStatus({});
    }

    bool failed() const { return failed_; }

private:
    // A caption without Latin letters (the Chinese tour) is named after its object instead.
    static QString slug(QString text, const QString& objectName = {}) {
        text.remove('&');
        if (text == QString::fromUtf8("输出校准"))
            return "output-calibration";
        if (text == QString::fromUtf8("温度补偿"))
            return "temperature-compensation";
        QString out;
        for (QChar c : text)
            out += (c.isLetterOrNumber() && c.unicode() < 128) ? c.toLower() : QChar('-');
        while (out.contains("--")) out.replace("--", "-");
        out = out.section('-', 0, -1, QString::SectionSkipEmpty);
        if (out.isEmpty() && !objectName.isEmpty())
            return slug(objectName);
        return out.isEmpty() ? QString("cn") : out;
    }

    CMainFrame& frame_;
    QDir dir_;
    const TourVisitor& visit_;
    int count_ = 0;
    bool failed_ = false;
};

}  // namespace

int takeScreenshots(CMainFrame& frame, const QString& dir, const TourVisitor& visit, SimBus* sim) {
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "screenshots: cannot create %s\n", qPrintable(dir));
        return 1;
    }
    Tour tour(frame, dir, visit);
    CKorvelantisView* view = frame.view();
    AppContext& ctx = view->context();

    tour.pages("before");
    tour.curveTab("before");
    // As the window opens on a 1280 x 720 screen with a 32-pixel panel and a title bar.
    const QSize opened = frame.size();
    const QRect withPanel =
        startupFrameRect(QRect(0, 32, 1280, 688), kClassicWindowSize, kAssumedFrame);
    frame.resize(withPanel.size().shrunkBy(kAssumedFrame));
    tour.pages("panel");
    tour.curveTab("panel");
    frame.resize(opened);
    tour.menus("before");
    tour.dialog(new CSerialConfigDlg(ctx.serialSettings, view->morePortChoices(), &frame),
                "dialog-serial-configuration");
    tour.dialog(new CAboutDlg(&frame), "dialog-about");
    tour.dialog(new CLoginDlg(ctx.messages, {}, &frame), "dialog-login");
    namespace pt = progress_text;
    auto never = [] { return false; };
    Progress p;
    p.set({pt::kScanAddress, {"23", "60", "2"}}, 22, 60, 35);
    tour.waitDialog(new CSearchWaitDlg(never, {}, nullptr, &frame), p, "wait-search");
    p.set({pt::kDeviceStep, {"12", "2", "5"}}, 1, 5);
    tour.waitDialog(new CCollectWaitDlg(1, never, {}, nullptr, &frame), p, "wait-collect");
    p.setParts({{pt::kSamplesTaken, {"3", "12"}},
                {pt::kLastValue, {"1.254", "MPa"}},
                {pt::kNextSample, {"10:40"}}},
               3, 12);
    tour.waitDialog(new CGatherWaitDlg(never, {}, &frame), p, "wait-gather");
    p.set({pt::kDeviceStep, {"12", "2", "5"}}, 1, 5, 18);
    tour.waitDialog(new CBatchDownloadWaitDlg(never, {}, nullptr, &frame), p,
                    "wait-batch-download-calibration");
    p.setUntil(pt::kStoreWait, std::chrono::steady_clock::now() + std::chrono::seconds(5), 1, 5);
    tour.waitDialog(new CBatchDownloadWaitDlg(never, {}, nullptr, &frame), p,
                    "wait-batch-download-store");
    p.set({pt::kReadBack, {"12", "2", "3"}}, 3, 5, 1);
    tour.waitDialog(new CBatchDownloadWaitDlg(never, {}, nullptr, &frame), p,
                    "wait-batch-download-read-back");
    p.set({pt::kDeviceStep, {"12", "1", "3"}}, 0, 3, 35);
    tour.waitDialog(new CCurrentDownloadWaitDlg(never, {}, nullptr, &frame), p,
                    "wait-current-download");
    tour.waitDialog(new CVoltageDownloadWaitDlg(never, {}, nullptr, &frame), p,
                    "wait-voltage-download");
    p.set({pt::kDeviceStep, {"6", "3", "3"}}, 2, 3);
    tour.waitDialog(new COutputCommandWaitDlg(never, {}, nullptr, &frame), p,
                    "wait-output-command");
    p.set({pt::kWhoAnswers, {"23", "60", "1"}}, 22, 60, 2);
    tour.waitDialog(new CConfigurationWaitDlg(never, {}, nullptr, &frame), p, "wait-configuration");
    p.setParts({{pt::kReadingRecords}, {pt::kMegabytes, {"12.5", "40.0"}}}, 12800, 40960);
    tour.waitDialog(new CWaitDlgBase(trCore(kImportWaitText), trCore(kImportCancelCaption), never,
                                     {}, nullptr, &frame),
                    p, "wait-import");
    p.set({pt::kSearchAddress, {"23", "60"}}, 22, 60);
    tour.searchStatus(progressText(p.snapshot()), 22, 60);

    view->enterEnterpriseMode();
    // The port pane reads "open" on the pages after the login.
    view->OnOpenPort();
    tour.pages("after");
    if (sim)
        tour.calibration(ctx, *sim);
    frame.resize(withPanel.size().shrunkBy(kAssumedFrame));
    tour.pages("panel-after");
    frame.resize(opened);
    tour.menus("after");
    return tour.failed() ? 1 : 0;
}
