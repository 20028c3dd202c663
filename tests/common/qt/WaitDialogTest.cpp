#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTranslator>
#include <atomic>
#include <thread>
#include <vector>

#include "base/Progress.h"
#include "base/ProgressTexts.h"
#include "common/qt/ProgressText.h"
#include "common/qt/WaitDialogs.h"
#include "state/Worker.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/qt/EventLoop.h"

namespace {
void press(QWidget* target, int key) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}
}  // namespace

TEST(WaitDialog, ClosesOnItsFlagAtTheNextPoll) {
    std::atomic<int> done{0};
    CSearchWaitDlg dlg([&] { return done.load() != 0; }, {});
    QTimer::singleShot(50, [&] { done = 1; });
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_GE(t.elapsed(), 50);
    EXPECT_LT(t.elapsed(), 1000);
}

TEST(WaitDialog, CancelRunsTheCancelActionAndTheDialogClosesOnTheFlag) {
    std::atomic<int> done{0};
    int cancels = 0;
    CCollectWaitDlg dlg(
        3, [&] { return done.load() != 0; },
        [&] {
            ++cancels;
            done = 1;
        });
    EXPECT_EQ(dlg.point(), 3);
    QTimer::singleShot(20, [&] { dlg.button()->click(); });
    dlg.exec();
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(dlg.isVisible());
}

TEST(WaitDialog, StaysUpAfterCancelUntilTheWorkerHasEnded) {
    std::atomic<int> done{0};
    std::atomic<int> release{0};
    Worker worker;
    ASSERT_TRUE(worker.start([&] {
        while (!release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        done = 1;
    }));
    CSearchWaitDlg dlg([&] { return done.load() != 0; }, [&] { done = 1; }, &worker);
    bool visibleAfterCancel = false;
    QTimer::singleShot(20, [&] { dlg.button()->click(); });
    QTimer::singleShot(350, [&] {
        visibleAfterCancel = dlg.isVisible();
        release = 1;
    });
    dlg.exec();
    EXPECT_TRUE(visibleAfterCancel) << "the window must not become usable while the worker runs";
    EXPECT_FALSE(worker.running());
}

TEST(WaitDialog, EscapeIsCancelAndEnterIsIgnored) {
    std::atomic<int> done{0};
    int cancels = 0;
    CGatherWaitDlg dlg([&] { return done.load() != 0; }, [&] { ++cancels; });
    dlg.show();
    press(&dlg, Qt::Key_Return);
    press(dlg.button(), Qt::Key_Enter);
    EXPECT_EQ(cancels, 0);
    EXPECT_TRUE(dlg.isVisible());
    press(&dlg, Qt::Key_Escape);
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(dlg.isVisible()) << "Escape asks the worker to stop; the flag closes the dialog";
    dlg.close();  // the window's close button is a cancel request as well
    EXPECT_EQ(cancels, 2);
    done = 1;
    EXPECT_TRUE(waitFor([&] { return !dlg.isVisible(); }));
}

// A worker that ends before exec() must not leave a dialog that nothing will ever close.
TEST(WaitDialog, FlagSetBeforeTheDialogOpensStillClosesIt) {
    CBatchDownloadWaitDlg dlg([] { return true; }, {});
    // The page may run the event loop (a message box, say) between building and exec().
    QElapsedTimer before;
    before.start();
    while (before.elapsed() < 2 * WaitDialog::kPollMs)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    QTimer guard;
    bool stuck = false;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        stuck = true;
        dlg.done(QDialog::Rejected);
    });
    guard.start(2000);
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_FALSE(stuck);
}

TEST(WaitDialog, SixDialogsCarryTheirTextsAndButtons) {
    auto never = [] { return false; };
    struct Expect {
        WaitDialog* d;
        const char* text;
        const char* button;
    };
    CSearchWaitDlg a(never, {});
    CCollectWaitDlg b(1, never, {});
    CGatherWaitDlg c(never, {});
    CBatchDownloadWaitDlg d(never, {});
    CCurrentDownloadWaitDlg e(never, {});
    CVoltageDownloadWaitDlg f(never, {});
    for (const Expect& x : {
             Expect{&a, "Searching online device, please wait ...................",
                    "Cancel Search"},
             Expect{&b, "Collecting data, please wait....", "Cancel Acquisition"},
             Expect{&c, "Collecting data, please wait....", "Cancel Acquisition"},
             Expect{&d, "Batch download, please wait......", "Cancel Download"},
             Expect{&e, "正在下载电流校准系数，请稍后....", "取消下载"},
             Expect{&f, "正在下载电压校准系数，请稍后。。。", "取消下载"},
         }) {
        EXPECT_EQ(x.d->findChild<QLabel*>("waitText")->text(), QString::fromUtf8(x.text));
        EXPECT_EQ(x.d->button()->text(), QString::fromUtf8(x.button));
        EXPECT_TRUE(x.d->windowTitle().isEmpty());
    }
}

TEST(WaitDialog, ShowsTheWorkersProgressBelowItsOwnText) {
    Progress progress;
    std::atomic<int> done{0};
    CSearchWaitDlg dlg([&] { return done.load() != 0; }, {});
    dlg.followProgress(&progress);
    auto* text = dlg.findChild<QLabel*>("waitProgressText");
    auto* bar = dlg.findChild<QProgressBar*>("waitProgressBar");
    ASSERT_TRUE(text && bar);
    QString shownText;
    int shownValue = -1, shownMax = -1;
    bool barWithoutSteps = true;
    QTimer::singleShot(30, [&] { progress.set("Address 23 of 60, 2 online", 23, 60, 35); });
    QTimer::singleShot(300, [&] {
        shownText = text->text();
        shownValue = bar->value();
        shownMax = bar->maximum();
        progress.set("Store wait", 0, 0);
    });
    QTimer::singleShot(600, [&] {
        barWithoutSteps = bar->isVisible();
        done = 1;
    });
    dlg.exec();
    EXPECT_EQ(shownText, "Address 23 of 60, 2 online, about 35 s left");
    EXPECT_EQ(shownValue, 23);
    EXPECT_EQ(shownMax, 60);
    EXPECT_FALSE(barWithoutSteps) << "no bar when the number of steps is not known";
    EXPECT_EQ(dlg.findChild<QLabel*>("waitText")->text(), CSearchWaitDlg::text())
        << "the system's own text stays as it is";
}

namespace {
// Stands in for a translation file: every progress template in capitals.
class Capitals : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* = nullptr,
                      int = -1) const override {
        return QLatin1String(context) == "Progress" ? QString::fromUtf8(source).toUpper()
                                                    : QString();
    }
};
}  // namespace

// Numbers composed into the core's text could not be translated: the window translates each
// template and then fills in its arguments.
TEST(WaitDialog, TranslatesEachProgressTemplateBeforeFillingItIn) {
    Progress progress;
    progress.setParts(
        {{progress_text::kSamplesTaken, {"3", "12"}}, {progress_text::kLastValue, {"1.5", "mpa"}}},
        3, 12);
    Capitals capitals;
    QCoreApplication::installTranslator(&capitals);
    const QString translated = progressText(progress.snapshot());
    CSearchWaitDlg dlg([] { return true; }, {});
    dlg.followProgress(&progress);
    const QString shown = dlg.findChild<QLabel*>("waitProgressText")->text();
    QCoreApplication::removeTranslator(&capitals);
    EXPECT_EQ(translated, "3 OF 12 SAMPLES TAKEN\nLAST VALUE: 1.5 mpa");
    EXPECT_EQ(shown, translated);
    EXPECT_EQ(progressText(progress.snapshot()), "3 of 12 samples taken\nLast value: 1.5 mpa");
}

// What the window's thread is handed while the dialog is open waits for it to close; the
// worker's start either reports its own failure or leaves it to the page.
TEST(BehindWaitDialog, AResultPostedWhileTheDialogIsOpenIsHandledOnceItHasGone) {
    RecordingMessages messages;
    Worker worker;
    HeldWhileWaiting held;
    std::atomic<int> done{0};
    std::vector<bool> dialogVisibleAtResult;
    ASSERT_TRUE(runBehindWaitDialog(
        worker,
        [&] {
            QMetaObject::invokeMethod(
                qApp,
                [&] {
                    held.run([&] {
                        dialogVisibleAtResult.push_back(QApplication::activeModalWidget() !=
                                                        nullptr);
                    });
                    done = 1;
                },
                Qt::QueuedConnection);
        },
        messages, WorkerStartFailure::kSearch, nullptr, nullptr,
        [&] { return CSearchWaitDlg([&] { return done.load() != 0; }, {}, &worker); }, &held));
    EXPECT_EQ(dialogVisibleAtResult, std::vector<bool>{false});
    // Without a dialog open it is done at once.
    held.run([&] { dialogVisibleAtResult.push_back(true); });
    EXPECT_EQ(dialogVisibleAtResult, (std::vector<bool>{false, true}));
    EXPECT_TRUE(messages.texts().empty());
}

TEST(BehindWaitDialog, AWorkerThatCannotStartOpensNoDialogAndGivesTheFlagsBack) {
    for (const bool pageReports : {false, true}) {
        SCOPED_TRACE(pageReports);
        RecordingMessages messages;
        Worker worker;
        std::atomic<int> done{7};
        const KeptFlags kept{&done};
        done = 0;
        int dialogs = 0;
        std::atomic<int> ran{0};
        Worker::failNextStartForTest();
        const auto make = [&] {
            ++dialogs;
            return CSearchWaitDlg([] { return true; }, {});
        };
        const bool started = pageReports ? runBehindWaitDialog(
                                               worker, [&] { ran = 1; }, messages,
                                               kStartFailureHandledByCaller, &kept, nullptr, make)
                                         : runBehindWaitDialog(
                                               worker, [&] { ran = 1; }, messages,
                                               WorkerStartFailure::kSearch, &kept, nullptr, make);
        EXPECT_FALSE(started);
        EXPECT_EQ(dialogs, 0);
        EXPECT_EQ(ran.load(), 0);
        EXPECT_EQ(done.load(), 7);
        EXPECT_EQ(messages.texts(),
                  pageReports ? std::vector<std::string>{}
                              : std::vector<std::string>{"Thread failed to start search！"});
    }
}
