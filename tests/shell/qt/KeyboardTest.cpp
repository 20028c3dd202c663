// The window by keyboard: the File menu's keys run what they show, and a table is one Tab stop.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSet>
#include <QTabBar>
#include <QTest>
#include <algorithm>
#include <map>

#include "ShellFixture.h"
#include "calibration/qt/CalibrationPage.h"
#include "common/qt/FileDialogs.h"
#include "common/qt/Translate.h"
#include "shell/qt/BusMonitorWindow.h"
#include "shell/qt/LoginDlg.h"
#include "shell/qt/SerialConfigDlg.h"
#include "tests/support/RecordingMessages.h"

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
    ASSERT_TRUE(w.frame.view()->enterEnterpriseMode());
    EXPECT_EQ(dialogsAfter(w, Qt::Key_P).size(), 1);
    EXPECT_TRUE(dialogsAfter(w, Qt::Key_D).isEmpty());  // its item went with the login
}

// Tab stepped through every cell: about 800 presses past the calibration grid of 60 devices.
TEST(Keyboard, EveryTableIsOneTabStop) {
    RecordingMessages messages;
    AppContext ctx(messages);
    for (int a = 1; a <= 60; ++a) ctx.OnlineTable[a - 1] = 1;
    ShellWindow w(ctx);
    ASSERT_TRUE(w.frame.view()->enterEnterpriseMode());
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

namespace {

// Below the container both share, the two parts that hold `a` and `b` are compared as a reader
// goes: by rows (parts that overlap vertically by half share a row), then left to right. For
// controls that no layout places.
bool readsBefore(QWidget* a, QWidget* b) {
    QWidget* partA = a;
    while (partA->parentWidget() && !partA->parentWidget()->isAncestorOf(b))
        partA = partA->parentWidget();
    QWidget* common = partA->parentWidget();
    QWidget* partB = b;
    while (partB->parentWidget() != common) partB = partB->parentWidget();
    const QRect ra = partA->geometry();
    const QRect rb = partB->geometry();
    const int overlap = std::min(ra.bottom(), rb.bottom()) - std::max(ra.top(), rb.top());
    if (overlap * 2 >= std::min(ra.height(), rb.height()))
        return ra.left() < rb.left();
    return ra.top() < rb.top();
}

// The items of the nested layouts that lead from `layout` to `w`.
struct LayoutStep {
    QLayout* layout;
    int index;
};
bool layoutPath(QLayout* layout, QWidget* w, std::vector<LayoutStep>& path) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        path.push_back({layout, i});
        if (QWidget* c = item->widget()) {
            if (c == w)
                return true;
            if (c->isAncestorOf(w)) {  // a group box: its own layout, else its geometry decides
                if (c->layout())
                    layoutPath(c->layout(), w, path);
                return true;
            }
        } else if (QLayout* sub = item->layout()) {
            if (layoutPath(sub, w, path))
                return true;
        }
        path.pop_back();
    }
    return false;
}

bool skippedByTab(QWidget* w, QWidget* top) {
    if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(top) || w->focusProxy())
        return true;
    for (QWidget* p = w->parentWidget(); p && p != top; p = p->parentWidget())
        if (qobject_cast<QComboBox*>(p) || qobject_cast<QAbstractSpinBox*>(p) ||
            qobject_cast<QAbstractItemView*>(p) || qobject_cast<QTabBar*>(p))
            return true;
    return false;
}

QString nameOf(QWidget* w) {
    if (!w->accessibleName().isEmpty())
        return w->accessibleName();
    return w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName();
}

// Every step of Tab inside `top` that goes against its layouts, as "from -> to". A box layout is
// taken in its order; a grid by rows or by columns, the same way for all its steps.
QStringList tabStepsAgainstTheLayout(QWidget* top) {
    std::vector<QWidget*> stops;
    for (QWidget* w = top->nextInFocusChain(); w != top && stops.size() < 5000;
         w = w->nextInFocusChain())
        if (top->isAncestorOf(w) && !skippedByTab(w, top))
            stops.push_back(w);
    struct GridSteps {
        QStringList againstRows, againstColumns;
    };
    std::map<QGridLayout*, GridSteps> grids;
    QStringList wrong;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        QWidget* a = stops[i - 1];
        QWidget* b = stops[i];
        const QString step = nameOf(a) + " -> " + nameOf(b);
        std::vector<LayoutStep> pa, pb;
        if (top->layout()) {
            layoutPath(top->layout(), a, pa);
            layoutPath(top->layout(), b, pb);
        }
        std::size_t k = 0;
        while (k < pa.size() && k < pb.size() && pa[k].layout == pb[k].layout &&
               pa[k].index == pb[k].index)
            ++k;
        if (k == pa.size() || k == pb.size() || pa[k].layout != pb[k].layout) {
            if (!readsBefore(a, b))
                wrong << step;
            continue;
        }
        QLayout* shared = pa[k].layout;
        if (auto* grid = qobject_cast<QGridLayout*>(shared)) {
            int ra, ca, rb, cb, span;
            grid->getItemPosition(pa[k].index, &ra, &ca, &span, &span);
            grid->getItemPosition(pb[k].index, &rb, &cb, &span, &span);
            if (std::pair(ra, ca) >= std::pair(rb, cb))
                grids[grid].againstRows << step;
            if (std::pair(ca, ra) >= std::pair(cb, rb))
                grids[grid].againstColumns << step;
        } else if (pa[k].index > pb[k].index) {
            wrong << step;
        }
    }
    for (const auto& [grid, steps] : grids)
        if (!steps.againstRows.isEmpty() && !steps.againstColumns.isEmpty())
            wrong << (steps.againstRows.size() <= steps.againstColumns.size()
                          ? steps.againstRows
                          : steps.againstColumns);
    if (qEnvironmentVariableIsSet("KORV_DUMP_TAB"))
        for (QWidget* w : stops) {
            const QPoint p = w->mapTo(top, QPoint(0, 0));
            qInfo("%s  %d,%d  in %s", qPrintable(nameOf(w)), p.x(), p.y(),
                  qPrintable(nameOf(w->parentWidget())));
        }
    return wrong;
}

}  // namespace

// Tab jumped about the pages in the order their controls were made, not as they are laid out.
TEST(Keyboard, TabFollowsTheLayoutOnEveryPageAndDialog) {
    RecordingMessages messages;
    AppContext ctx(messages);
    ShellWindow w(ctx);
    w.frame.resize(1280, 720);
    w.frame.show();  // a layout places its controls once shown
    const auto everyPage = [&] {
        for (int i = 0; i < w.sheet()->count(); ++i) {
            w.sheet()->setCurrentIndex(i);
            QApplication::processEvents();
            auto* holder = qobject_cast<QScrollArea*>(w.sheet()->widget(i));
            ASSERT_NE(holder, nullptr);
            SCOPED_TRACE(w.sheet()->tabText(i).toStdString());
            EXPECT_EQ(tabStepsAgainstTheLayout(holder->widget()).join('\n').toStdString(), "");
        }
    };
    everyPage();
    ASSERT_TRUE(w.frame.view()->enterEnterpriseMode());
    everyPage();

    SerialSettings settings;
    CSerialConfigDlg serial(settings, {});
    CLoginDlg login(messages, [] {});
    for (QDialog* d : {static_cast<QDialog*>(&serial), static_cast<QDialog*>(&login)}) {
        SCOPED_TRACE(d->metaObject()->className());
        d->show();
        QApplication::processEvents();
        EXPECT_EQ(tabStepsAgainstTheLayout(d).join('\n').toStdString(), "");
    }
}

// Alt+letter reached no page button. In English each button whose caption is its page's only one
// of that text carries a letter of its own, clashing with no menu title, no label and no other
// button.
TEST(Keyboard, PageButtonsHaveMnemonicsInEnglish) {
    ASSERT_TRUE(Translate::install(QStringLiteral("en")));
    struct Uninstall {
        ~Uninstall() { Translate::uninstall(); }
    } uninstall;
    RecordingMessages messages;
    AppContext ctx(messages);
    ShellWindow w(ctx);
    const auto mnemonic = [](const QString& text) {
        const int at = text.indexOf('&');
        return at >= 0 && at + 1 < text.size() ? text[at + 1].toUpper() : QChar();
    };
    QSet<QChar> menuKeys;  // the ordinary user's menus and the enterprise user's
    for (const QString& t : w.menuTitles()) menuKeys << mnemonic(t);
    ASSERT_TRUE(w.frame.view()->enterEnterpriseMode());
    for (const QString& t : w.menuTitles()) menuKeys << mnemonic(t);
    menuKeys.remove(QChar());
    for (int i = 0; i < w.sheet()->count(); ++i) {
        QWidget* page = qobject_cast<QScrollArea*>(w.sheet()->widget(i))->widget();
        SCOPED_TRACE(page->metaObject()->className());
        std::map<QString, int> captions;
        const auto buttons = page->findChildren<QPushButton*>();
        for (QPushButton* b : buttons) ++captions[QString(b->text()).remove('&')];
        QStringList wrong;
        QSet<QChar> taken = menuKeys;
        for (QLabel* l : page->findChildren<QLabel*>()) {
            const QChar key = mnemonic(l->text());
            if (!l->buddy() || key.isNull())
                continue;
            if (taken.contains(key))
                wrong << l->text();
            taken << key;
        }
        for (QPushButton* b : buttons) {
            EXPECT_FALSE(b->accessibleName().contains('&')) << b->accessibleName().toStdString();
            if (captions[QString(b->text()).remove('&')] > 1)
                continue;
            const QChar key = mnemonic(b->text());
            if (key.isNull() || taken.contains(key))
                wrong << b->text();
            taken << key;
        }
        EXPECT_EQ(wrong.join(" | ").toStdString(), "");
    }
}
