#pragma once
// The "please wait" dialogs of the program, all the one WaitDialog with their own texts.
//
// How a page uses one (window's thread), through runBehindWaitDialog below:
//     runBehindWaitDialog(worker_, [this] { ... }, ctx_.messages, WorkerStartFailure::kSearch,
//                         &kept, &progress_, [this] {
//                             return CSearchWaitDlg([this] { return SearchDone || SearchFailed; },
//                                                   [this] { SearchDone = 1; }, &worker_, this);
//                         });
//
// `finished` is polled every 100 ms; `cancel` runs on the button, on Escape and on the window's
// close button (Enter does nothing). Given the worker, the dialog also waits for it to have
// ended, so the window never becomes usable while a worker still uses the bus: after Cancel the
// dialog goes as soon as the worker has seen the stop request.

#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "common/qt/WaitDialog.h"
#include "state/Worker.h"

class Progress;

class CWaitDlgBase : public WaitDialog {
    Q_OBJECT
public:
    CWaitDlgBase(const QString& text, const QString& buttonCaption, std::function<bool()> finished,
                 std::function<void()> cancel, const Worker* worker, QWidget* parent);
};

// Enterprise device search. Closes on SearchDone or SearchFailed.
class CSearchWaitDlg : public CWaitDlgBase {
    Q_OBJECT
public:
    CSearchWaitDlg(std::function<bool()> finished, std::function<void()> cancel,
                   const Worker* worker = nullptr, QWidget* parent = nullptr);
    static const char* text() {
        return QT_TRANSLATE_NOOP("WaitDialogs",
                                 "Searching online device, please wait ...................");
    }
    static const char* buttonCaption() { return QT_TRANSLATE_NOOP("WaitDialogs", "Cancel Search"); }
};

// Acquisition of calibration point `point` (1..5).
class CCollectWaitDlg : public CWaitDlgBase {
    Q_OBJECT
public:
    CCollectWaitDlg(int point, std::function<bool()> finished, std::function<void()> cancel,
                    const Worker* worker = nullptr, QWidget* parent = nullptr);
    int point() const { return point_; }
    static const char* text() {
        return QT_TRANSLATE_NOOP("WaitDialogs", "Collecting data, please wait....");
    }
    static const char* buttonCaption() {
        return QT_TRANSLATE_NOOP("WaitDialogs", "Cancel Acquisition");
    }

private:
    int point_;
};

// Data collection. Its session's worker keeps running between samples, so `finished` says when
// the acquisition is over; the page shows the session's progress below the text.
class CGatherWaitDlg : public CWaitDlgBase {
    Q_OBJECT
public:
    CGatherWaitDlg(std::function<bool()> finished, std::function<void()> cancel,
                   QWidget* parent = nullptr);
    static const char* text() {
        return QT_TRANSLATE_NOOP("WaitDialogs", "Collecting data, please wait....");
    }
    static const char* buttonCaption() {
        return QT_TRANSLATE_NOOP("WaitDialogs", "Cancel Acquisition");
    }
};

// K and B computation and download.
class CBatchDownloadWaitDlg : public CWaitDlgBase {
    Q_OBJECT
public:
    CBatchDownloadWaitDlg(std::function<bool()> finished, std::function<void()> cancel,
                          const Worker* worker = nullptr, QWidget* parent = nullptr);
    static const char* text() {
        return QT_TRANSLATE_NOOP("WaitDialogs", "Batch download, please wait......");
    }
    static const char* buttonCaption() {
        return QT_TRANSLATE_NOOP("WaitDialogs", "Cancel Download");
    }
};

// Current-output coefficient download.
class CCurrentDownloadWaitDlg : public CWaitDlgBase {
    Q_OBJECT
public:
    CCurrentDownloadWaitDlg(std::function<bool()> finished, std::function<void()> cancel,
                            const Worker* worker = nullptr, QWidget* parent = nullptr);
    static const char* text() {
        return QT_TRANSLATE_NOOP("WaitDialogs", "正在下载电流校准系数，请稍后....");
    }
    static const char* buttonCaption() { return QT_TRANSLATE_NOOP("WaitDialogs", "取消下载"); }
};

// Voltage-output coefficient download.
class CVoltageDownloadWaitDlg : public CWaitDlgBase {
    Q_OBJECT
public:
    CVoltageDownloadWaitDlg(std::function<bool()> finished, std::function<void()> cancel,
                            const Worker* worker = nullptr, QWidget* parent = nullptr);
    static const char* text() {
        return QT_TRANSLATE_NOOP("WaitDialogs", "正在下载电压校准系数，请稍后。。。");
    }
    static const char* buttonCaption() { return QT_TRANSLATE_NOOP("WaitDialogs", "取消下载"); }
};

// The low/high output calibration commands to every online device.
class COutputCommandWaitDlg : public CWaitDlgBase {
    Q_OBJECT
public:
    COutputCommandWaitDlg(std::function<bool()> finished, std::function<void()> cancel,
                          const Worker* worker = nullptr, QWidget* parent = nullptr);
    static const char* text() {
        return QT_TRANSLATE_NOOP("WaitDialogs", "Calibrating the outputs, please wait......");
    }
    static const char* buttonCaption() {
        return QT_TRANSLATE_NOOP("WaitDialogs", "Cancel Calibration");
    }
};

// "Configuration": the look at who answers before, the store wait and the read at the new
// address after.
class CConfigurationWaitDlg : public CWaitDlgBase {
    Q_OBJECT
public:
    CConfigurationWaitDlg(std::function<bool()> finished, std::function<void()> cancel,
                          const Worker* worker = nullptr, QWidget* parent = nullptr);
    static const char* text() {
        return QT_TRANSLATE_NOOP("WaitDialogs", "Configuration, please wait......");
    }
    static const char* buttonCaption() {
        return QT_TRANSLATE_NOOP("WaitDialogs", "Cancel Configuration");
    }
};

// What the window's thread is handed while a wait dialog is open and may do only once it has
// gone (a result's message box would open over the dialog): held then, done in order after.
class HeldWhileWaiting {
public:
    // Now, or once the dialog of the runBehindWaitDialog given this has closed.
    void run(std::function<void()> action);
    void begin() { waiting_ = true; }
    void end();

private:
    bool waiting_ = false;
    std::vector<std::function<void()>> held_;
};

// A long bus operation on a worker behind a wait dialog, the way every page runs one: `work`
// started on `worker` as startWorkerOrReport does (a start that fails is told, unless the caller
// handles it, and gives `kept` back; no dialog then, and false), then the dialog `makeDialog`
// returns (given `worker`, so it waits for it to end) shown with `progress` below its text, then
// the worker joined and what `held` kept while the dialog was open done.
template <class MakeDialog>
bool runBehindWaitDialog(Worker& worker, std::function<void()> work, OperatorMessages& messages,
                         const std::optional<Message>& startFailure, const KeptFlags* kept,
                         const Progress* progress, MakeDialog makeDialog,
                         HeldWhileWaiting* held = nullptr) {
    if (!startWorkerOrReport(worker, std::move(work), messages, startFailure, kept))
        return false;
    if (held)
        held->begin();
    auto wait = makeDialog();
    if (progress)
        wait.followProgress(progress);
    wait.exec();
    worker.join();
    if (held)
        held->end();
    return true;
}
