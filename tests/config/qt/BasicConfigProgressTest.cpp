// The wait dialogs of the basic configuration page say what the bus work behind them does.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <set>

#include "common/qt/WaitDialog.h"
#include "config/qt/BasicConfigPage.h"
#include "state/Worker.h"
#include "tests/support/TestBus.h"
#include "tests/support/qt/EventLoop.h"

namespace {

// Every progress line a wait dialog showed, and whether its bar was up meanwhile.
struct ShownProgress {
    ShownProgress() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* d = qobject_cast<WaitDialog*>(QApplication::activeModalWidget());
            if (!d)
                return;
            const QString text = d->findChild<QLabel*>("waitProgressText")->text();
            if (!text.isEmpty())
                lines.insert(text.toStdString());
            barShown |= d->findChild<QProgressBar*>("waitProgressBar")->isVisible();
        });
        timer.start(20);
    }
    bool any(const std::string& prefix) const {
        for (const auto& l : lines)
            if (l.rfind(prefix, 0) == 0)
                return true;
        return false;
    }
    std::string all() const {
        std::string s;
        for (const auto& l : lines) s += "[" + l + "] ";
        return s;
    }
    QTimer timer;
    std::set<std::string> lines;
    bool barShown = false;
};

}  // namespace

// The full scan took about 90 s behind a static text.
TEST(BasicConfigProgress, TheFullScanNamesTheAddressTheDevicesOnlineAndTheTimeLeft) {
    TestBus tb({1, 12}, 0.03);
    tb.open();
    tb.ctx.EnterpriseMode = 1;
    CBasicConfigPage page(tb.ctx);
    page.ShowEnterpriseLayout();
    ShownProgress shown;
    page.OnSearch();
    EXPECT_TRUE(shown.any("Address ")) << shown.all();
    bool named = false;
    for (const auto& l : shown.lines)
        named |= l.find(" of 60, 2 online, about ") != std::string::npos &&
                 l.substr(l.size() - 6) == "s left";
    EXPECT_TRUE(named) << shown.all();
    EXPECT_TRUE(shown.barShown);
}

TEST(BasicConfigProgress, TheBatchDownloadShowsTheStoreWaitAndTheReadBack) {
    TestBus tb({3, 8}, 0.1);  // a store wait of 500 ms: several polls of the dialog
    tb.open();
    tb.ctx.EnterpriseMode = 1;
    CBasicConfigPage page(tb.ctx);
    page.ShowEnterpriseLayout();
    tb.ctx.OnlineTable[2] = 1;  // as a search would have found them
    tb.ctx.OnlineTable[7] = 1;
    ShownProgress shown;
    page.OnBatchDownload();
    EXPECT_TRUE(shown.any("The devices store what was written, about ")) << shown.all();
    EXPECT_TRUE(shown.barShown);
    // The last step the worker reached.
    EXPECT_EQ(page.downloadProgress().snapshot().text(), "Reading back address 8, 2 of 2");
    ASSERT_FALSE(tb.messages.texts().empty());
    EXPECT_EQ(tb.messages.texts().back(), "Download Success!");
}

TEST(BasicConfigProgress, ConfigurationShowsTheLookAtWhoAnswers) {
    TestBus tb({3}, 0.05);
    SerialSettings quick = tb.settings();
    quick.ResponseTimeoutMs = 20;  // the look at who answers waits 20 ms an address
    ASSERT_TRUE(tb.ctx.bus.Open(quick).ok());
    tb.messages.clear();
    tb.ctx.EnterpriseMode = 1;
    CBasicConfigPage page(tb.ctx);
    page.ShowEnterpriseLayout();
    page.findChild<QLineEdit*>("currentDeviceEdit")->setText("5");
    page.findChild<QLineEdit*>("productCodeEdit")->setText("70000");
    ShownProgress shown;
    page.OnConfiguration();
    EXPECT_TRUE(shown.any("Address ")) << shown.all();
    bool answering = false;
    for (const auto& l : shown.lines) answering |= l.find(" answering") != std::string::npos;
    EXPECT_TRUE(answering) << shown.all();
    EXPECT_TRUE(shown.any("The devices store what was written")) << shown.all();
    EXPECT_EQ(page.downloadProgress().snapshot().text(), "Reading address 5");
}

// A search whose thread did not start cleared SearchDone and SearchFailed; they keep their
// values, as no search ran.
TEST(BasicConfigProgress, ASearchThatCannotStartLeavesTheFlagsAsTheyWere) {
    TestBus tb({3}, 0.03);
    tb.open();
    CBasicConfigPage page(tb.ctx);
    page.searchState().SearchDone = 1;
    page.searchState().SearchFailed = 1;
    Worker::failNextStartForTest();
    page.OnSearch();
    EXPECT_EQ(tb.messages.texts(), std::vector<std::string>{"Thread failed to start search！"});
    EXPECT_EQ(page.searchState().SearchDone.load(), 1);
    EXPECT_EQ(page.searchState().SearchFailed.load(), 1);
    EXPECT_FALSE(page.searchRunning());
}
