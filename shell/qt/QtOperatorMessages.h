#pragma once
// Operator messages as message boxes. Safe from any thread: a worker's call is carried to the
// window's thread and the worker waits there until the operator has pressed OK.
// Once the program is shutting down (shutdown()), a worker's message no longer waits for a
// window's thread that has stopped answering: it goes to standard error and the worker runs on,
// so joining that worker cannot hang the exit.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>

#include "link/OperatorMessages.h"

class QtOperatorMessages : public QObject, public OperatorMessages {
    Q_OBJECT
public:
    explicit QtOperatorMessages(QObject* parent = nullptr);
    void setWindow(QWidget* window) { window_ = window; }
    // Unattended runs (the screenshot tour): messages go to standard error and nobody waits.
    void setAutoAcknowledge(bool on) { autoAcknowledge_ = on; }
    // The window's thread stops showing messages; workers waiting for OK are released.
    void shutdown();

    void show(const Message& text, MessageIcon icon = MessageIcon::None) override;
    void showWithDetail(const Message& text, MessageIcon icon, const Message& detail) override;
    void status(const Message& text) override;
    bool ask(const Message& text) override;

signals:
    void statusChanged(const QString& text);

private:
    void display(const QString& text, MessageIcon icon, const QString& detail);
    bool question(const QString& text);
    // Runs `box` on the window's thread, the calling worker waiting until it has run;
    // `whenClosing` instead once the program is shutting down.
    void onWindowThread(const std::function<void()>& box, const std::function<void()>& whenClosing);
    struct Waiter {
        bool released = false;
    };
    void release(const std::shared_ptr<Waiter>& w);

    QPointer<QWidget> window_;
    bool autoAcknowledge_ = false;
    std::mutex mutex_;  // guards the two below
    std::condition_variable released_;
    bool closing_ = false;
    std::set<std::shared_ptr<Waiter>> waiting_;
};
