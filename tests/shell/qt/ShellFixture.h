#pragma once
// A main window over a context whose messages are recorded, so nothing blocks a test.

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "link/OperatorMessages.h"
#include "shell/AppContext.h"
#include "shell/qt/KorvelantisView.h"
#include "shell/qt/MainFrame.h"
#include "shell/qt/PropSheet.h"

struct ShellWindow {
    explicit ShellWindow(AppContext& c) : ctx(c), frame(c) { frame.view()->OnInitialUpdate(); }
    AppContext& ctx;
    CMainFrame frame;

    QAction* action(const char* name) const { return frame.findChild<QAction*>(name); }
    CPropSheet* sheet() const { return frame.view()->sheet(); }
    QStringList tabs() const {
        QStringList t;
        for (int i = 0; i < sheet()->count(); ++i) t << sheet()->tabText(i);
        return t;
    }
    QStringList menuTitles() const {
        QStringList t;
        for (QAction* a : frame.menuBar()->actions()) t << a->text();
        return t;
    }
    QStringList items(const char* menuName) const {
        QStringList t;
        for (QAction* a : frame.findChild<QMenu*>(menuName)->actions()) t << a->text();
        return t;
    }
};

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
