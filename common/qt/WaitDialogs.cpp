#include "common/qt/WaitDialogs.h"

#include <QCoreApplication>

#include "common/qt/Look.h"
#include "state/Worker.h"

namespace {
QString shown(const char* text) {
    return QCoreApplication::translate("WaitDialogs", text);
}

std::function<bool()> untilWorkerEnded(std::function<bool()> finished, const Worker* worker) {
    if (!worker)
        return finished;
    return [finished = std::move(finished), worker] {
        return (!finished || finished()) && !worker->running();
    };
}
}  // namespace

CWaitDlgBase::CWaitDlgBase(const QString& text, const QString& buttonCaption,
                           std::function<bool()> finished, std::function<void()> cancel,
                           const Worker* worker, QWidget* parent)
    : WaitDialog(text, buttonCaption, untilWorkerEnded(std::move(finished), worker),
                 std::move(cancel), parent) {
    Look::paintDialogBackground(this);
}

CSearchWaitDlg::CSearchWaitDlg(std::function<bool()> finished, std::function<void()> cancel,
                               const Worker* worker, QWidget* parent)
    : CWaitDlgBase(shown(text()), shown(buttonCaption()), std::move(finished), std::move(cancel),
                   worker, parent) {
    setObjectName("searchWaitDlg");
}

CCollectWaitDlg::CCollectWaitDlg(int point, std::function<bool()> finished,
                                 std::function<void()> cancel, const Worker* worker,
                                 QWidget* parent)
    : CWaitDlgBase(shown(text()), shown(buttonCaption()), std::move(finished), std::move(cancel),
                   worker, parent),
      point_(point) {
    setObjectName("collectWaitDlg");
}

CGatherWaitDlg::CGatherWaitDlg(std::function<bool()> finished, std::function<void()> cancel,
                               QWidget* parent)
    : CWaitDlgBase(shown(text()), shown(buttonCaption()), std::move(finished), std::move(cancel),
                   nullptr, parent) {
    setObjectName("gatherWaitDlg");
}

CBatchDownloadWaitDlg::CBatchDownloadWaitDlg(std::function<bool()> finished,
                                             std::function<void()> cancel, const Worker* worker,
                                             QWidget* parent)
    : CWaitDlgBase(shown(text()), shown(buttonCaption()), std::move(finished), std::move(cancel),
                   worker, parent) {
    setObjectName("batchDownloadWaitDlg");
}

CCurrentDownloadWaitDlg::CCurrentDownloadWaitDlg(std::function<bool()> finished,
                                                 std::function<void()> cancel, const Worker* worker,
                                                 QWidget* parent)
    : CWaitDlgBase(shown(text()), shown(buttonCaption()), std::move(finished), std::move(cancel),
                   worker, parent) {
    setObjectName("currentDownloadWaitDlg");
}

CVoltageDownloadWaitDlg::CVoltageDownloadWaitDlg(std::function<bool()> finished,
                                                 std::function<void()> cancel, const Worker* worker,
                                                 QWidget* parent)
    : CWaitDlgBase(shown(text()), shown(buttonCaption()), std::move(finished), std::move(cancel),
                   worker, parent) {
    setObjectName("voltageDownloadWaitDlg");
}

COutputCommandWaitDlg::COutputCommandWaitDlg(std::function<bool()> finished,
                                             std::function<void()> cancel, const Worker* worker,
                                             QWidget* parent)
    : CWaitDlgBase(shown(text()), shown(buttonCaption()), std::move(finished), std::move(cancel),
                   worker, parent) {
    setObjectName("outputCommandWaitDlg");
}

CConfigurationWaitDlg::CConfigurationWaitDlg(std::function<bool()> finished,
                                             std::function<void()> cancel, const Worker* worker,
                                             QWidget* parent)
    : CWaitDlgBase(shown(text()), shown(buttonCaption()), std::move(finished), std::move(cancel),
                   worker, parent) {
    setObjectName("configurationWaitDlg");
}

void HeldWhileWaiting::run(std::function<void()> action) {
    if (waiting_)
        held_.push_back(std::move(action));
    else
        action();
}

void HeldWhileWaiting::end() {
    waiting_ = false;
    // Taken out first: an action may start the next run, which holds anew.
    std::vector<std::function<void()>> held;
    held.swap(held_);
    for (auto& action : held) action();
}
