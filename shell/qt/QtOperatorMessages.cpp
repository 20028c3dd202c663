#include "shell/qt/QtOperatorMessages.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

QtOperatorMessages::QtOperatorMessages(QObject* parent) : QObject(parent) {}

void QtOperatorMessages::show(std::string_view text, MessageIcon icon) {
    showWithDetail(text, icon, {});
}

void QtOperatorMessages::showWithDetail(std::string_view text, MessageIcon icon,
                                        std::string_view detail) {
    const QString t = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QString d = QString::fromUtf8(detail.data(), static_cast<qsizetype>(detail.size()));
    if (QThread::currentThread() == thread()) {
        display(t, icon, d);
        return;
    }
    // A worker never touches a widget: the box is shown by the window's thread, and the worker
    // waits for the operator as it would at its own message box.
    auto waiter = std::make_shared<Waiter>();
    {
        std::lock_guard lock(mutex_);
        if (closing_) {
            qInfo("message: %s", qPrintable(t));
            return;
        }
        waiting_.insert(waiter);
    }
    QMetaObject::invokeMethod(
        this,
        [this, t, icon, d, waiter] {
            bool closing;
            {
                std::lock_guard lock(mutex_);
                closing = closing_;
            }
            if (!closing)
                display(t, icon, d);
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

void QtOperatorMessages::status(std::string_view text) {
    const QString t = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QMetaObject::invokeMethod(
        this, [this, t] { emit statusChanged(t); }, Qt::QueuedConnection);
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
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    box.exec();
}
