#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include "acquisition/qt/CurvePage.h"
#include "acquisition/qt/DataGatherDlg.h"
#include "common/qt/SheetPage.h"
#include "shell/qt/WindowPlacement.h"
#include "tests/shell/qt/ShellFixture.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/qt/TestScreens.h"

namespace {

QScreen* screenNamed(const char* name) {
    for (QScreen* s : QApplication::screens())
        if (s->name() == QString::fromLatin1(name))
            return s;
    return nullptr;
}

std::string text(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
           "x" + std::to_string(r.height());
}

// Every page before and after the login, shown in turn.
template <typename Check>
void forEveryPage(ShellWindow& w, Check check) {
    for (bool enterprise : {false, true}) {
        if (enterprise) {
            ASSERT_TRUE(w.frame.view()->enterEnterpriseMode());
        }
        CPropSheet* sheet = w.sheet();
        for (int i = 0; i < sheet->count(); ++i) {
            ASSERT_TRUE(sheet->SetActivePage(i));
            QApplication::processEvents();
            SheetPage* page = sheet->activePage();
            ASSERT_NE(CPropSheet::holderOf(page), nullptr);
            check(page, CPropSheet::holderOf(page), sheet->tabText(i).toStdString());
        }
    }
}

}  // namespace

TEST(StartupFrameRect, KeepsTheClassicSizeWhereItFitsAndShrinksToTheAvailableAreaElse) {
    const QMargins frame(4, 30, 4, 4);
    struct Case {
        QRect available;
        QRect expected;
    } cases[] = {
        // A 1920 x 1080 screen with a 40 px panel below: the classic size, centred.
        {{0, 0, 1920, 1040}, {444, 133, 1032, 774}},
        // 1366 x 768 with a 32 px panel above: as tall as the area, the title bar on screen.
        {{0, 32, 1366, 736}, {167, 32, 1032, 736}},
        // 1280 x 720 with a panel at the left.
        {{48, 0, 1232, 720}, {148, 0, 1032, 720}},
        // Smaller than the classic width too.
        {{0, 0, 800, 600}, {0, 0, 800, 600}},
        // A second screen to the right of the first.
        {{1920, 24, 1280, 696}, {2044, 24, 1032, 696}},
    };
    for (const Case& c : cases) {
        const QRect r = startupFrameRect(c.available, kClassicWindowSize, frame);
        EXPECT_EQ(r, c.expected) << text(c.available) << " gave " << text(r);
        EXPECT_TRUE(c.available.contains(r)) << text(c.available);
    }
}

TEST(StartupGeometry, TheScreensAreTheOnesAskedFor) {
    ASSERT_EQ(QApplication::screens().size(), static_cast<qsizetype>(kTestScreens.size()));
    for (const TestScreen& t : kTestScreens) {
        QScreen* s = screenNamed(t.name);
        ASSERT_NE(s, nullptr) << t.name;
        EXPECT_EQ(s->availableGeometry().size(), QSize(t.width, t.height)) << t.name;
    }
}

// On every screen the window opens with its frame on the screen, at the classic size where it
// fits, and every page is usable: as wide as the window, and a page taller than the room it
// has can be scrolled to its end.
TEST(StartupGeometry, TheWindowAndEveryPageFitEachScreen) {
    for (const TestScreen& t : kTestScreens) {
        SCOPED_TRACE(t.name);
        QScreen* screen = screenNamed(t.name);
        ASSERT_NE(screen, nullptr);
        RecordingMessages messages;
        AppContext ctx(messages);
        ShellWindow w(ctx);
        w.frame.setScreen(screen);
        placeOnScreen(w.frame, kClassicWindowSize, screen);
        w.frame.show();
        QApplication::processEvents();
        placeOnScreen(w.frame, kClassicWindowSize, screen);
        QApplication::processEvents();

        const QRect area = screen->availableGeometry();
        EXPECT_TRUE(area.contains(w.frame.frameGeometry()))
            << text(w.frame.frameGeometry()) << " on " << text(area);
        const QRect frame = w.frame.frameGeometry();
        const QRect inner = w.frame.geometry();
        const int roomW = area.width() - (frame.width() - inner.width());
        const int roomH = area.height() - (frame.height() - inner.height());
        EXPECT_EQ(inner.size(), kClassicWindowSize.boundedTo(QSize(roomW, roomH))) << text(inner);

        forEveryPage(w, [](SheetPage* page, QScrollArea* holder, const std::string& caption) {
            const QSize need = page->minimumSizeHint();
            const QSize room = holder->viewport()->size();
            SCOPED_TRACE(caption + " needs " + std::to_string(need.width()) + "x" +
                         std::to_string(need.height()) + ", has " + std::to_string(room.width()) +
                         "x" + std::to_string(room.height()));
            EXPECT_LE(need.width(), room.width());
            EXPECT_EQ(page->width(), room.width());
            QScrollBar* bar = holder->verticalScrollBar();
            if (need.height() > room.height()) {
                EXPECT_TRUE(bar->isVisible());
                bar->setValue(bar->maximum());
                QApplication::processEvents();
                // Scrolled to its end, the page's bottom is in view.
                EXPECT_EQ(page->mapTo(holder->viewport(), QPoint(0, page->height())).y(),
                          room.height());
            } else {
                EXPECT_EQ(page->height(), room.height());
            }
        });
    }
}

// The curve follows the page's height: the plot and its labels stay on the page on every
// screen, and it grows on a taller one.
TEST(StartupGeometry, TheCurveFollowsThePageHeight) {
    int lastPlotHeight = 0;
    for (const char* name : {"netbook", "hd", "laptop", "fullhd"}) {
        SCOPED_TRACE(name);
        QScreen* screen = screenNamed(name);
        ASSERT_NE(screen, nullptr);
        RecordingMessages messages;
        AppContext ctx(messages);
        ShellWindow w(ctx);
        w.frame.setScreen(screen);
        placeOnScreen(w.frame, kClassicWindowSize, screen);
        w.frame.show();
        QApplication::processEvents();
        CDataGatherDlg* page = w.sheet()->dataGatherPage();
        ASSERT_TRUE(w.sheet()->SetActivePage(w.sheet()->indexOf(page)));
        auto* tabs = page->findChild<QTabWidget*>("recordTabs");
        ASSERT_NE(tabs, nullptr);
        tabs->setCurrentIndex(1);
        QApplication::processEvents();
        auto* curve = page->findChild<CCurvePage*>();
        ASSERT_NE(curve, nullptr);
        const QRect plot = curve->plot()->geometry();
        EXPECT_LE(plot.bottom(), curve->height()) << text(plot);
        EXPECT_GE(plot.height(), lastPlotHeight) << text(plot);
        lastPlotHeight = plot.height();
    }
}

// On 1280 x 720 with a 32-pixel panel and a title bar every page fits without scrolling.
TEST(StartupGeometry, EveryPageFitsAtHdLessAPanelAndATitleBar) {
    RecordingMessages messages;
    AppContext ctx(messages);
    ShellWindow w(ctx);
    const QRect outer =
        startupFrameRect(QRect(0, 32, 1280, 688), kClassicWindowSize, kAssumedFrame);
    w.frame.resize(outer.size().shrunkBy(kAssumedFrame));
    w.frame.show();
    QApplication::processEvents();
    ASSERT_EQ(w.frame.height(), 688 - kAssumedFrame.top() - kAssumedFrame.bottom());
    forEveryPage(w, [](SheetPage* page, QScrollArea* holder, const std::string& caption) {
        const QSize room = holder->viewport()->size();
        EXPECT_TRUE(page->minimumSizeHint().height() <= room.height() &&
                    page->minimumSizeHint().width() <= room.width())
            << caption;
        EXPECT_FALSE(holder->verticalScrollBar()->isVisible()) << caption;
    });
}

// The frame becomes known after the window shows; a window whose frame then reaches beyond the
// available area is placed again, once, and only while the window is new.
TEST(StartupGeometry, AWindowFramedBeyondTheAreaIsPlacedAgainOnlyWhileNew) {
    QScreen* screen = screenNamed("hd");
    ASSERT_NE(screen, nullptr);
    QWidget window;
    window.setScreen(screen);
    window.show();
    QApplication::processEvents();
    placeAgainWhenFramed(window, kClassicWindowSize);
    const QRect area = screen->availableGeometry();
    window.resize(800, 600);
    QApplication::processEvents();
    window.move(area.x() + 600, area.y() + 300);  // as a window manager's late frame would push it
    QApplication::processEvents();
    EXPECT_TRUE(area.contains(window.frameGeometry())) << text(window.frameGeometry());

    // Later, the operator's own move is his.
    window.move(area.x() + 600, area.y() + 300);
    QApplication::processEvents();
    EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(area.x() + 600, area.y() + 300));

    QWidget late;
    late.setScreen(screen);
    late.show();
    QApplication::processEvents();
    placeAgainWhenFramed(late, kClassicWindowSize, -1);  // its time is up at once
    late.resize(800, 600);
    late.move(area.x() + 600, area.y() + 300);
    QApplication::processEvents();
    EXPECT_EQ(late.frameGeometry().topLeft(), QPoint(area.x() + 600, area.y() + 300))
        << "no longer watched once its time is up";
}
