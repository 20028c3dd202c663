#include "shell/qt/Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <memory>

#include "acquisition/RecordFile.h"
#include "acquisition/qt/DataGatherDlg.h"
#include "common/qt/FileDialogs.h"
#include "common/qt/WaitDialogs.h"
#include "shell/qt/AboutDlg.h"
#include "shell/qt/KorvelantisView.h"
#include "shell/qt/LoginDlg.h"
#include "shell/qt/MainFrame.h"
#include "shell/qt/PropSheet.h"
#include "shell/qt/SerialConfigDlg.h"

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
                      .arg(stage, slug(sheet->tabText(i), sheet->widget(i)->objectName())));
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
        for (int value : kValues) {
            bytes +=
                recordSampleLine(t, recordValueText(static_cast<std::uint16_t>(value), "00.00"));
            t.tm_min += 10;
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

    void dialog(QDialog* d, const QString& name) {
        std::unique_ptr<QDialog> owner(d);
        d->show();
        shoot(d, name);
        d->hide();
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

int TakeScreenshots(CMainFrame& frame, const QString& dir, const TourVisitor& visit) {
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "screenshots: cannot create %s\n", qPrintable(dir));
        return 1;
    }
    Tour tour(frame, dir, visit);
    CKorvelantisView* view = frame.view();
    AppContext& ctx = view->context();

    tour.pages("before");
    tour.curveTab("before");
    tour.menus("before");
    tour.dialog(new CSerialConfigDlg(ctx.serialSettings, view->morePortChoices(), &frame),
                "dialog-serial-configuration");
    tour.dialog(new CAboutDlg(&frame), "dialog-about");
    tour.dialog(new CLoginDlg(ctx.messages, {}, &frame), "dialog-login");
    auto never = [] { return false; };
    tour.dialog(new CSearchWaitDlg(never, {}, nullptr, &frame), "wait-search");
    tour.dialog(new CCollectWaitDlg(1, never, {}, nullptr, &frame), "wait-collect");
    tour.dialog(new CGatherWaitDlg(never, {}, &frame), "wait-gather");
    tour.dialog(new CBatchDownloadWaitDlg(never, {}, nullptr, &frame), "wait-batch-download");
    tour.dialog(new CCurrentDownloadWaitDlg(never, {}, nullptr, &frame), "wait-current-download");
    tour.dialog(new CVoltageDownloadWaitDlg(never, {}, nullptr, &frame), "wait-voltage-download");
    tour.dialog(new COutputCommandWaitDlg(never, {}, nullptr, &frame), "wait-output-command");

    view->EnterEnterpriseMode();
    tour.pages("after");
    tour.menus("after");
    return tour.failed() ? 1 : 0;
}
