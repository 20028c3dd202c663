#pragma once
// A main window over a context whose messages are recorded, so nothing blocks a test.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>

#include "link/OperatorMessages.h"
#include "shell/qt/KorvelantisView.h"
#include "shell/qt/MainFrame.h"
#include "shell/qt/PropSheet.h"
#include "state/AppContext.h"
#include "tests/support/qt/EventLoop.h"

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
