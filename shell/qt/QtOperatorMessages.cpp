#include "shell/qt/QtOperatorMessages.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <atomic>

#include "common/qt/Translate.h"

QtOperatorMessages::QtOperatorMessages(QObject* parent) : QObject(parent) {}

void QtOperatorMessages::show(const Message& text, MessageIcon icon) {
    showWithDetail(text, icon, {});
}

void QtOperatorMessages::showWithDetail(const Message& text, MessageIcon icon,
                                        const Message& detail) {
    // The message as the window's language shows it (the texts themselves without one).
    const QString t = trCore(text);
    const QString d = trCore(detail);
    onWindowThread([this, t, icon, d] { display(t, icon, d); },
                   [t] { qInfo("message: %s", qPrintable(t)); });
}

bool QtOperatorMessages::ask(const Message& text) {
    const QString t = trCore(text);
    // Shared: after shutdown() the worker may return while the box is still up.
    auto yes = std::make_shared<std::atomic<bool>>(false);
    onWindowThread([this, t, yes] { *yes = question(t); },
                   [t] { qInfo("question (answered No): %s", qPrintable(t)); });
    return *yes;
}

void QtOperatorMessages::onWindowThread(const std::function<void()>& box,
                                        const std::function<void()>& whenClosing) {
    if (QThread::currentThread() == thread()) {
        box();
        return;
    }
    // A worker never touches a widget: the box is shown by the window's thread, and the worker
    // waits for the operator as it would at its own message box.
    auto waiter = std::make_shared<Waiter>();
    {
        std::lock_guard lock(mutex_);
        if (closing_) {
            whenClosing();
            return;
        }
        waiting_.insert(waiter);
    }
    QMetaObject::invokeMethod(
        this,
        [this, box, waiter] {
            bool closing;
            {
                std::lock_guard lock(mutex_);
                closing = closing_;
            }
            if (!closing)
                box();
            release(waiter);
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    released_.wait(lock, [&] { return waiter->released; });
}

void QtOperatorMessages::release(const std::shared_ptr<Waiter>& w) {
    std::lock_guard lock(mutex_);
    w->released = true;
    waiting_.erase(w);
    released_.notify_all();
}

void QtOperatorMessages::shutdown() {
    std::lock_guard lock(mutex_);
    closing_ = true;
    for (const auto& w : waiting_) w->released = true;
    waiting_.clear();
    released_.notify_all();
}

void QtOperatorMessages::status(const Message& text) {
    const QString t = trCore(text);
    QMetaObject::invokeMethod(
        this, [this, t] { emit statusChanged(t); }, Qt::QueuedConnection);
}

bool QtOperatorMessages::question(const QString& text) {
    if (autoAcknowledge_) {
        qInfo("question (answered No): %s", qPrintable(text));
        return false;
    }
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, window_);
    box.setObjectName("operatorQuestion");
    box.setDefaultButton(QMessageBox::No);
    // Qt's own captions, in the window's language when it has one.
    if (Translate::active()) {
        box.button(QMessageBox::Yes)->setText(tr("&Yes"));
        box.button(QMessageBox::No)->setText(tr("&No"));
    }
    box.button(QMessageBox::Yes)->setAccessibleName(tr("Yes"));
    box.button(QMessageBox::No)->setAccessibleName(tr("No"));
    return box.exec() == QMessageBox::Yes;
}

void QtOperatorMessages::display(const QString& text, MessageIcon icon, const QString& detail) {
    if (autoAcknowledge_) {
        qInfo("message: %s%s%s", qPrintable(text), detail.isEmpty() ? "" : " / ",
              qPrintable(detail));
        return;
    }
    QMessageBox box(icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                    QCoreApplication::applicationName(), text, QMessageBox::Ok, window_);
    box.setObjectName("operatorMessage");
    if (Translate::active())
        box.button(QMessageBox::Ok)->setText(tr("OK"));
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    box.exec();
}
