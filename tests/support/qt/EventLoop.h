#pragma once
// Waiting in widget tests without blocking the event loop the code under test needs.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

// Runs the event loop until `done` holds or `timeoutMs` passed; true when it held.
inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 3000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Calls `act` on the first modal dialog of type T that comes up (from a timer, while the code
// under test sits in exec()).
template <typename T>
void whenModal(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(d);
        }
    });
    timer->start();
}
