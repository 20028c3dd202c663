// The window by keyboard: the File menu's keys run what they show, and a table is one Tab stop.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QTest>

#include "ShellFixture.h"
#include "common/qt/FileDialogs.h"
#include "calibration/qt/CalibrationPage.h"
#include "shell/qt/BusMonitorWindow.h"

namespace {

struct Activated {
    explicit Activated(ShellWindow& w) : w(w) {
        w.frame.show();
        w.frame.activateWindow();
        EXPECT_TRUE(waitFor([&] { return w.frame.isActiveWindow(); }));
    }
    ~Activated() { w.frame.hide(); }
    ShellWindow& w;
};

// The titles of the file dialogs a key press opened (each answered with Cancel).
QStringList dialogsAfter(ShellWindow& w, int key) {
    QStringList titles;
    FileDialogs::setTestAnswer([&](const FileDialogs::Request& r) {
        titles << r.title;
        return QString();
    });
    QTest::keyClick(&w.frame, static_cast<Qt::Key>(key), Qt::ControlModifier);
    QApplication::processEvents();
    FileDialogs::setTestAnswer(nullptr);
    return titles;
}

}  // namespace

// "Import data(&D)...\tCtrl+D" and "导入基本参数(&P)...\tCtrl+P" showed keys that did nothing.
TEST(Keyboard, CtrlDAndCtrlPRunTheImportsWhileTheirItemsAreOffered) {
    RecordingMessages messages;
    AppContext ctx(messages);
    ShellWindow w(ctx);
    Activated active(w);
    EXPECT_EQ(w.action("actionImportData")->shortcut(), QKeySequence("Ctrl+D"));
    EXPECT_EQ(w.action("actionImportBasicParams")->shortcut(), QKeySequence("Ctrl+P"));
    EXPECT_EQ(dialogsAfter(w, Qt::Key_D).size(), 1);
    EXPECT_TRUE(dialogsAfter(w, Qt::Key_P).isEmpty());  // before the login: not offered
    ASSERT_TRUE(w.frame.view()->EnterEnterpriseMode());
    EXPECT_EQ(dialogsAfter(w, Qt::Key_P).size(), 1);
    EXPECT_TRUE(dialogsAfter(w, Qt::Key_D).isEmpty());  // its item went with the login
}

// Tab stepped through every cell: about 800 presses past the calibration grid of 60 devices.
TEST(Keyboard, EveryTableIsOneTabStop) {
    RecordingMessages messages;
    AppContext ctx(messages);
    for (int a = 1; a <= 60; ++a) ctx.OnlineTable[a - 1] = 1;
    ShellWindow w(ctx);
    ASSERT_TRUE(w.frame.view()->EnterEnterpriseMode());
    BusMonitorWindow* monitor = w.frame.showBusMonitor();
    std::vector<QAbstractItemView*> views;
    for (QWidget* top : {static_cast<QWidget*>(&w.frame), static_cast<QWidget*>(monitor)})
        for (auto* v : top->findChildren<QAbstractItemView*>())
            if (!v->objectName().isEmpty() && !v->objectName().startsWith("qt_"))
                views.push_back(v);
    ASSERT_GE(views.size(), 5u);
    for (QAbstractItemView* v : views)
        EXPECT_FALSE(v->tabKeyNavigation()) << v->objectName().toStdString();
    monitor->hide();

    // On the page: Tab leaves the grid at once.
    Activated active(w);
    CPropSheet* sheet = w.sheet();
    sheet->SetActivePage(sheet->indexOf(sheet->calibrationPage()));
    auto* grid = sheet->calibrationPage()->findChild<QAbstractItemView*>("calibrationGrid");
    grid->setFocus();
    ASSERT_TRUE(waitFor([&] { return grid->hasFocus(); }));
    grid->setCurrentIndex(grid->model()->index(0, 0));
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_FALSE(grid->hasFocus());
}
