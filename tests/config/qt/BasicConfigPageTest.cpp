#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "common/qt/FileDialogs.h"
#include "config/qt/BasicConfigPage.h"
#include "tests/support/TestBus.h"
#include "tests/support/qt/EventLoop.h"

namespace {

template <typename T>
T* find(QWidget& page, const char* name) {
    T* w = page.findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Presses the button of whatever wait dialog is up after `afterMs`.
void cancelWaitDialogSoon(int afterMs) {
    QTimer::singleShot(afterMs, [] {
        if (QWidget* w = QApplication::activeModalWidget())
            if (auto* b = w->findChild<QPushButton*>("waitCancel"))
                b->click();
    });
}

std::size_t writeFrames(const SimBus& sim) {
    std::size_t n = 0;
    for (const auto& f : sim.framesReceived()) n += f.bytes.size() > 1 && f.bytes[1] == 0x10;
    return n;
}

}  // namespace

TEST(BasicConfigPageQt, RestrictedLayoutLocksWhatTheOrdinaryUserMayNotChange) {
    TestBus tb({7}, 0.03);
    CBasicConfigPage page(tb.ctx);
    EXPECT_TRUE(find<QPushButton>(page, "configurationButton")->isHidden());
    EXPECT_TRUE(find<QLineEdit>(page, "addressEdit")->isReadOnly());
    EXPECT_FALSE(find<QComboBox>(page, "signalTypeList")->isEnabled());
    EXPECT_EQ(find<QComboBox>(page, "signalUnitList")->currentText(), "MPa");
    EXPECT_EQ(find<QLabel>(page, "rangeStartUnit")->text(), "MPa");
    page.ShowEnterpriseLayout();
    EXPECT_FALSE(find<QPushButton>(page, "configurationButton")->isHidden());
    EXPECT_FALSE(find<QLineEdit>(page, "addressEdit")->isReadOnly());
    EXPECT_TRUE(find<QComboBox>(page, "pointPositionList")->isEnabled());
}

TEST(BasicConfigPageQt, ListChangesApplyRulesAndPublishLiveSelections) {
    TestBus tb({7}, 0.03);
    CBasicConfigPage page(tb.ctx);
    page.ShowEnterpriseLayout();
    find<QComboBox>(page, "outputTypeList")->setCurrentText("2K+1A");
    find<QComboBox>(page, "outputTypeList")->setCurrentText("K1");
    EXPECT_FALSE(find<QLineEdit>(page, "k2ActionEdit")->isEnabled());
    EXPECT_FALSE(find<QComboBox>(page, "currentOutputList")->isEnabled());
    find<QComboBox>(page, "outputTypeList")->setCurrentText("K1+K2");
    EXPECT_TRUE(find<QLineEdit>(page, "k2ActionEdit")->isEnabled());
    EXPECT_EQ(tb.ctx.outputTypeText(), "K1+K2");
    find<QComboBox>(page, "pointPositionList")->setCurrentText("0.000");
    EXPECT_EQ(tb.ctx.pointPositionText(), "0.000");
    find<QComboBox>(page, "signalTypeList")->setCurrentText("level");
    EXPECT_FALSE(find<QLineEdit>(page, "densityEdit")->isReadOnly());
    EXPECT_EQ(find<QLabel>(page, "k1ReleaseUnit")->text(), "m");
}

TEST(BasicConfigPageQt, LeavingWithABadNumberWarnsTwicePublishesAndStays) {
    TestBus tb({7}, 0.03);
    CBasicConfigPage page(tb.ctx);
    find<QLineEdit>(page, "rangeStartEdit")->setText("5");
    find<QLineEdit>(page, "k1ActionEdit")->setText("x");
    EXPECT_FALSE(page.onKillActive());
    EXPECT_EQ(tb.messages.texts(), (std::vector<std::string>{"请键入一个数。", "请键入一个数。"}));
    EXPECT_FLOAT_EQ(tb.ctx.basicSettings().RangeStart, 5.0f);
    EXPECT_EQ(tb.ctx.basicSettings().SignalUnitText, "MPa");
    find<QLineEdit>(page, "k1ActionEdit")->setText("1");
    EXPECT_TRUE(page.onKillActive());
}

TEST(BasicConfigPageQt, OrdinarySearchShowsTheFoundDeviceThenDownloadsToIt) {
    TestBus tb({7, 9}, 0.03);
    tb.open();
    tb.sim.setReg(7, 9, 1);
    tb.sim.setReg(7, 7, 125);
    CBasicConfigPage page(tb.ctx);
    find<QPushButton>(page, "batchDownloadButton")->click();
    EXPECT_EQ(tb.messages.texts(), (std::vector<std::string>{"No search appliance！"}));
    tb.messages.clear();
    page.OnSearch();
    EXPECT_FALSE(find<QPushButton>(page, "searchButton")->isEnabled());
    ASSERT_TRUE(waitFor([&] { return !tb.messages.texts().empty(); }, 5000));
    EXPECT_EQ(tb.messages.texts(),
              (std::vector<std::string>{"Searching for information to complete!"}));
    EXPECT_TRUE(find<QPushButton>(page, "searchButton")->isEnabled());
    EXPECT_EQ(find<QLineEdit>(page, "currentDeviceEdit")->text(), "7");
    EXPECT_EQ(find<QLineEdit>(page, "rangeEndEdit")->text(), "12.5");
    EXPECT_EQ(find<QComboBox>(page, "pointPositionList")->currentText(), "000.0");
    tb.messages.clear();
    tb.sim.clearFramesReceived();
    page.OnBatchDownload();
    EXPECT_EQ(tb.messages.texts(), (std::vector<std::string>{"Download Success!"}));
    ASSERT_EQ(tb.sim.framesReceived().size(), 1u);
    EXPECT_EQ(tb.sim.framesReceived()[0].bytes[0], 7);
}

TEST(BasicConfigPageQt, SavingToAnUncreatableFileTellsTheOperator) {
    TestBus tb({7}, 0.03);
    CBasicConfigPage page(tb.ctx);
    page.ShowEnterpriseLayout();
    FileDialogs::setTestAnswer(
        [](const FileDialogs::Request&) { return QStringLiteral("/nonexistent-dir/p.txt"); });
    page.OnSaveConfigFile();
    FileDialogs::setTestAnswer(nullptr);
    ASSERT_EQ(tb.messages.entries().size(), 1u);
    EXPECT_EQ(tb.messages.entries()[0].text, CBasicConfigPage::kSaveFailed);
    EXPECT_EQ(tb.messages.entries()[0].icon, MessageIcon::Exclamation);
}

TEST(BasicConfigPageQt, GroupBoxTickedBySearchUnticksOnFirstClick) {
    TestBus tb({7}, 0.03);
    CBasicConfigPage page(tb.ctx);
    page.ShowEnterpriseLayout();
    page.show();
    find<QPushButton>(page, "selectAllButton")->click();
    EXPECT_TRUE(find<QCheckBox>(page, "address60")->isChecked());
    find<QPushButton>(page, "emptyButton")->click();
    EXPECT_FALSE(find<QCheckBox>(page, "rangeSelect2")->isChecked());
    find<QCheckBox>(page, "rangeSelect2")->click();
    EXPECT_TRUE(find<QCheckBox>(page, "address11")->isChecked());
    EXPECT_TRUE(find<QCheckBox>(page, "address20")->isChecked());
    EXPECT_FALSE(find<QCheckBox>(page, "address21")->isChecked());
}

TEST(BasicConfigPageQt, EnterpriseSearchTicksOnlineDevicesAfterTheWaitDialog) {
    TestBus tb({1, 12}, 0.03);
    tb.open();
    tb.ctx.EnterpriseMode = 1;
    CBasicConfigPage page(tb.ctx);
    page.ShowEnterpriseLayout();
    page.OnSearch();  // returns when the wait dialog has closed
    EXPECT_EQ(tb.messages.texts(),
              (std::vector<std::string>{"Searching for information to complete!"}));
    EXPECT_TRUE(find<QCheckBox>(page, "address01")->isChecked());
    EXPECT_TRUE(find<QCheckBox>(page, "address12")->isChecked());
    EXPECT_FALSE(find<QCheckBox>(page, "address02")->isChecked());
    EXPECT_EQ(find<QLineEdit>(page, "currentDeviceEdit")->text(), "12");
    EXPECT_EQ(tb.ctx.CurrentAddress.load(), 12);
    EXPECT_TRUE(find<QPushButton>(page, "searchButton")->isEnabled());
}

TEST(BasicConfigPageQt, DownloadWaitingForTheSearchCanBeCancelledAndSendsNothing) {
    // Only the last address answers: the ordinary search takes every poll of the bus.
    TestBus tb({60}, 0.03);
    tb.open();
    CBasicConfigPage page(tb.ctx);
    page.OnSearch();
    ASSERT_TRUE(page.searchRunning());
    cancelWaitDialogSoon(50);
    std::string statusWhileWaiting;
    QTimer::singleShot(20, [&] { statusWhileWaiting = tb.messages.lastStatus(); });
    page.OnBatchDownload();             // returns when its wait dialog has closed
    EXPECT_TRUE(page.searchRunning());  // the dialog did not wait for the search
    // The operator was told why nothing happened yet, and the line is cleared after the cancel.
    EXPECT_EQ(statusWhileWaiting, "Waiting for the search to finish");
    EXPECT_EQ(tb.messages.lastStatus(), "");
    EXPECT_EQ(tb.messages.texts(), std::vector<std::string>{});
    ASSERT_TRUE(waitFor([&] { return !tb.messages.texts().empty(); }, 20000));
    EXPECT_EQ(tb.messages.texts(),
              (std::vector<std::string>{"Searching for information to complete!"}));
    EXPECT_EQ(tb.ctx.CurrentAddress.load(), 60);
    EXPECT_EQ(writeFrames(tb.sim), 0u);
}
