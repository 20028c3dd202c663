#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "common/qt/FileDialogs.h"
#include "config/ParameterFile.h"
#include "config/ParameterTable.h"
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
    // The write, then the read-back of registers 3..21 that proves it.
    ASSERT_EQ(tb.sim.framesReceived().size(), 2u);
    EXPECT_EQ(tb.sim.framesReceived()[0].bytes[0], 7);
    EXPECT_EQ(tb.sim.framesReceived()[1].bytes[1], 0x04);
}

// The login set the lists back to their first entries while the numbers stayed, and the next
// batch download wrote K1 / 00.00 / open / 0--20mA into every device.
TEST(BasicConfigPageQt, TheLoginKeepsEveryShownValueAndTheDownloadWritesThem) {
    TestBus tb({7, 9}, 0.03);
    tb.open();
    tb.sim.setReg(7, 8, 4);   // "2K+1A"
    tb.sim.setReg(7, 9, 3);   // "0.000"
    tb.sim.setReg(7, 10, 1);  // "Hysteresis normally close"
    tb.sim.setReg(7, 18, 1);  // "4--20mA"
    CBasicConfigPage page(tb.ctx);
    page.OnSearch();
    ASSERT_TRUE(waitFor([&] { return !tb.messages.texts().empty(); }, 5000));
    // Texts, and the enable states that follow the output type.
    const auto shown = [&] {
        std::vector<QString> v;
        for (auto* l : page.findChildren<QComboBox*>()) v.push_back(l->currentText());
        for (auto* e : page.findChildren<QLineEdit*>()) v.push_back(e->text());
        for (auto* u : page.findChildren<QLabel*>()) v.push_back(u->text());
        for (const char* name : {"k2ActionEdit", "outputVoltageList", "currentOutputList"})
            v.push_back(page.findChild<QWidget*>(name)->isEnabled() ? "on" : "off");
        return v;
    };
    const auto before = shown();
    EXPECT_EQ(find<QComboBox>(page, "outputTypeList")->currentText(), "2K+1A");
    tb.ctx.EnterpriseMode = 1;
    page.ShowEnterpriseLayout();
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(find<QComboBox>(page, "pointPositionList")->currentText(), "0.000");
    EXPECT_EQ(find<QComboBox>(page, "k1TypeList")->currentText(), "Hysteresis normally close");
    EXPECT_EQ(find<QComboBox>(page, "currentOutputList")->currentText(), "4--20mA");
    tb.messages.clear();
    page.OnBatchDownload();
    EXPECT_EQ(tb.messages.texts(), (std::vector<std::string>{"Download Success!"}));
    for (int address : {7, 9})
        for (auto [r, value] : {std::pair{8, 4}, {9, 3}, {10, 1}, {18, 1}})
            EXPECT_EQ(tb.sim.reg(address, r), value) << address << " register " << r;
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

// The search told nothing of a device that refused or of answers that failed their CRC.
TEST(BasicConfigPageQt, SearchEndsWithTheLineFaultSummary) {
    TestBus tb(TestBus::inProcess({1, 7, 12}), 0.03);
    tb.sim.setFaults(7, SimFaults{.exceptionCode = 2});
    tb.sim.setFaults(12, SimFaults{.badCrc = true});
    tb.open();
    tb.ctx.EnterpriseMode = 1;
    CBasicConfigPage page(tb.ctx);
    page.ShowEnterpriseLayout();
    page.OnSearch();
    EXPECT_EQ(tb.messages.texts(),
              (std::vector<std::string>{"Searching for information to complete!",
                                        "2 answers failed their CRC check; device 7 refused"}));
    EXPECT_TRUE(find<QCheckBox>(page, "address01")->isChecked());
    EXPECT_FALSE(find<QCheckBox>(page, "address07")->isChecked());
}

TEST(BasicConfigPageQt, EnterpriseSearchTicksOnlineDevicesAfterTheWaitDialog) {
    TestBus tb(TestBus::inProcess({1, 12}), 0.03);
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

// Batch download pressed while the ordinary search ran waited for it, then sent the values from
// before the search to the device it found: device 60's switch registers became zeros.
TEST(BasicConfigPageQt, WritesAreOffWhileTheOrdinarySearchRunsAndBackWhenItEnds) {
    // Only the last address answers: the ordinary search takes every poll of the bus.
    TestBus tb({60}, 0.03);
    tb.open();
    CBasicConfigPage page(tb.ctx);
    auto* download = find<QPushButton>(page, "batchDownloadButton");
    auto* configuration = find<QPushButton>(page, "configurationButton");
    page.OnSearch();
    ASSERT_TRUE(page.searchRunning());
    EXPECT_FALSE(download->isEnabled());
    EXPECT_FALSE(configuration->isEnabled());
    EXPECT_EQ(tb.messages.lastStatus(), CBasicConfigPage::kSearchRunning);
    EXPECT_EQ(download->toolTip(), CBasicConfigPage::kSearchRunning);
    page.OnBatchDownload();  // as a click that was already queued would
    page.OnConfiguration();
    EXPECT_TRUE(tb.messages.texts().empty());
    ASSERT_TRUE(waitFor([&] { return !tb.messages.texts().empty(); }, 20000));
    EXPECT_EQ(tb.messages.texts(),
              (std::vector<std::string>{"Searching for information to complete!"}));
    EXPECT_EQ(tb.ctx.CurrentAddress.load(), 60);
    EXPECT_EQ(writeFrames(tb.sim), 0u);
    EXPECT_TRUE(download->isEnabled());
    EXPECT_TRUE(configuration->isEnabled());
    EXPECT_EQ(download->toolTip(), "");
    EXPECT_EQ(tb.messages.lastStatus(), "");
}

// After "请键入一个数。" the enterprise batch download went on with the old numbers to every
// device and said "Download Success!"; density 70000 went out as 4464; "Current device:" 300
// as address 44.
TEST(BasicConfigPageQt, AValueThatCannotBeTrustedStopsTheWriteAndTakesTheFocus) {
    struct Case {
        const char* edit;
        const char* text;
        bool configuration;  // else batch download
        const char* message;
    };
    const Case cases[] = {
        {"k1ActionEdit", "x", false, "请键入一个数。"},
        {"densityEdit", "1.5", false, "请键入一个整数。"},
        {"productCodeEdit", "", true, "请键入一个整数。"},
        {"densityEdit", "70000", false, "liquid density: enter a value from 0 to 65535"},
        {"rangeEndEdit", "3e38", false, "Range end: enter a value from 0 to 655.35"},
        {"k1ActionEdit", "1e30", false, "K1 action: enter a value from -327.68 to 327.67"},
        {"currentDeviceEdit", "0", true, "Current device: enter a value from 1 to 60"},
        {"currentDeviceEdit", "127", true, "Current device: enter a value from 1 to 60"},
        {"currentDeviceEdit", "300", true, "Current device: enter a value from 1 to 60"},
        {"productCodeEdit", "-7", true, "Product code: enter a value from 0 to 2147483647"},
    };
    TestBus tb(TestBus::inProcess({5}), 0.03);
    tb.open();
    tb.ctx.EnterpriseMode = 1;
    CBasicConfigPage page(tb.ctx);
    page.ShowEnterpriseLayout();
    page.show();
    page.activateWindow();
    ASSERT_TRUE(waitFor([&] { return page.isActiveWindow(); }));
    for (const Case& c : cases) {
        find<QLineEdit>(page, "currentDeviceEdit")->setText("5");
        find<QLineEdit>(page, "rangeEndEdit")->setText("40");
        auto* edit = find<QLineEdit>(page, c.edit);
        edit->setText(c.text);
        find<QPushButton>(page, "searchButton")->setFocus();
        tb.messages.clear();
        tb.sim.clearFramesReceived();
        if (c.configuration)
            page.OnConfiguration();
        else
            page.OnBatchDownload();
        EXPECT_EQ(tb.messages.texts(), std::vector<std::string>{c.message}) << c.edit << c.text;
        EXPECT_EQ(QApplication::focusWidget(), edit) << c.edit << c.text;
        EXPECT_TRUE(tb.sim.framesReceived().empty()) << c.edit << c.text;
        edit->setText(std::string_view(c.edit) == "currentDeviceEdit" ? "5" : "1");
    }
    // With every value in range both go out.
    tb.messages.clear();
    page.OnConfiguration();
    page.OnBatchDownload();
    EXPECT_EQ(tb.messages.texts(),
              (std::vector<std::string>{"Configuration confirmed: address 5, product code 1",
                                        "Download Success!"}));
    EXPECT_EQ(writeFrames(tb.sim), 2u);
}

TEST(BasicConfigPageQt, FilesThatAreNotParameterFilesOrPresetsChangeNothing) {
    TestBus tb({5}, 0.03);
    TempDir dir;
    CBasicConfigPage page(tb.ctx);
    page.ShowEnterpriseLayout();
    const auto shown = [&] {
        std::vector<QString> v;
        for (auto* e : page.findChildren<QLineEdit*>()) v.push_back(e->text());
        for (auto* l : page.findChildren<QComboBox*>()) v.push_back(l->currentText());
        return v;
    };
    const auto before = shown();
    // The window aborted here: the INI path was read as a stream and a directory threw.
    tb.ctx.presetIniPath = dir.path();
    page.OnLoadLevelPreset();
    ASSERT_EQ(tb.messages.entries().size(), 1u);
    EXPECT_EQ(tb.messages.entries()[0].text, CBasicConfigPage::kPresetUnreadable);
    EXPECT_EQ(tb.messages.entries()[0].detail, dir.path() + ": a directory, not a file");
    EXPECT_EQ(shown(), before);

    std::string answer;
    FileDialogs::setTestAnswer(
        [&](const FileDialogs::Request&) { return QString::fromStdString(answer); });
    const std::string missingKey =
        "signalType=level\r\r\nsignalUnit=mm\r\r\nrangeStart=0\r\r\nrangeEnd=5\r\r\n";
    writeFileBytes(dir.file("short.txt"), missingKey);
    const std::pair<std::string, std::string> refused[] = {
        {dir.path(), CBasicConfigPage::kFileUnreadable},
        {dir.file("short.txt"), "Line 5 (outputType) is missing!"},
    };
    for (const auto& [path, text] : refused) {
        tb.messages.clear();
        answer = path;
        page.OnImportBasicParams();
        ASSERT_EQ(tb.messages.texts(), std::vector<std::string>{text});
        EXPECT_EQ(shown(), before) << path;
    }
    FileDialogs::setTestAnswer(nullptr);
}

// The page is built from the parameter table: a row whose control is missing, misnamed, in
// another slot, with other entries or out of the tab order fails here.
TEST(BasicConfigPageQt, EveryTableControlSitsInItsSlotWithItsCaptionAndEntries) {
    TestBus tb({7}, 0.03);
    CBasicConfigPage page(tb.ctx);
    page.ShowEnterpriseLayout();
    page.show();
    auto* grid = qobject_cast<QGridLayout*>(page.layout()->itemAt(0)->layout());
    ASSERT_NE(grid, nullptr);
    std::vector<std::pair<std::pair<int, int>, QWidget*>> bySlot;
    for (const config::Control& c : config::kPageControls) {
        SCOPED_TRACE(c.objectName);
        QWidget* field = find<QWidget>(page, c.objectName);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->accessibleName().toStdString(), c.caption);
        int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(grid->indexOf(field), &row, &column, &rowSpan, &columnSpan);
        EXPECT_EQ(row, c.slot.row);
        EXPECT_EQ(column, 3 * c.slot.column + 1);
        auto* label = qobject_cast<QLabel*>(grid->itemAtPosition(row, column - 1)->widget());
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text().toStdString(), c.caption);
        EXPECT_EQ(label->buddy(), field);
        QLayoutItem* beside = grid->itemAtPosition(row, column + 1);
        EXPECT_EQ(beside != nullptr, c.unit != config::Unit::None);
        if (beside) {
            auto* unit = qobject_cast<QLabel*>(beside->widget());
            ASSERT_NE(unit, nullptr);
            const char* shown = c.unit == config::Unit::Signal    ? "MPa"
                                : c.unit == config::Unit::Seconds ? "S"
                                                                  : "Kg/m3";
            EXPECT_EQ(unit->text().toStdString(), shown);
        }
        if (c.isList) {
            auto* list = qobject_cast<QComboBox*>(field);
            ASSERT_NE(list, nullptr);
            ASSERT_EQ(static_cast<std::size_t>(list->count()), c.choices.size());
            for (std::size_t i = 0; i < c.choices.size(); ++i)
                EXPECT_EQ(list->itemText(static_cast<int>(i)).toStdString(), c.choices[i]);
        } else {
            EXPECT_NE(qobject_cast<QLineEdit*>(field), nullptr);
        }
        bySlot.push_back({{c.slot.column, c.slot.row}, field});
    }
    std::sort(bySlot.begin(), bySlot.end());
    for (std::size_t i = 1; i < bySlot.size(); ++i)
        EXPECT_EQ(bySlot[i - 1].second->nextInFocusChain(), bySlot[i].second)
            << bySlot[i - 1].second->objectName().toStdString();
}
