// Every control a person (or a screen reader, or an AT-SPI script) can reach has a name.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTabBar>

#include "ShellFixture.h"
#include "acquisition/qt/DataGatherDlg.h"
#include "calibration/qt/CalibrationPage.h"
#include "calibration/qt/OutputCalibrationPage.h"
#include "calibration/qt/TemperaturePage.h"
#include "common/qt/WaitDialog.h"
#include "config/qt/BasicConfigPage.h"
#include "live/qt/LiveValuesPage.h"
#include "shell/qt/AboutDlg.h"
#include "shell/qt/BusMonitorWindow.h"
#include "shell/qt/LoginDlg.h"
#include "shell/qt/SerialConfigDlg.h"
#include "tests/support/RecordingMessages.h"

namespace {

bool isControl(QWidget* w) {
    // The line edit inside an editable list or a date picker belongs to that control.
    if (qobject_cast<QLineEdit*>(w) && (qobject_cast<QComboBox*>(w->parentWidget()) ||
                                        qobject_cast<QAbstractSpinBox*>(w->parentWidget())))
        return false;
    // Parts of a control are named through it: a tab bar's scroll buttons, a table's headers and
    // corner button, the popup list of a drop-down.
    QWidget* parent = w->parentWidget();
    if (qobject_cast<QTabBar*>(parent) || qobject_cast<QAbstractItemView*>(parent) ||
        qobject_cast<QHeaderView*>(w))
        return false;
    for (QWidget* p = parent; p; p = p->parentWidget())
        if (qobject_cast<QComboBox*>(p))
            return false;
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
           qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
           qobject_cast<QAbstractItemView*>(w);
}

std::string namelessControls(QWidget* root) {
    QStringList out;
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    for (QWidget* w : all) {
        if (!isControl(w) || w->objectName().startsWith("qt_"))
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if (!a || a->text(QAccessible::Name).trimmed().isEmpty())
            out << QString("%1 (%2)").arg(w->metaObject()->className(), w->objectName());
    }
    return out.join(", ").toStdString();
}

TEST(Accessibility, AControlWithoutCaptionOrLabelIsFound) {
    QWidget form;
    auto* edit = new QLineEdit(&form);
    edit->setObjectName("orphan");
    EXPECT_EQ(namelessControls(&form), "QLineEdit (orphan)");
    edit->setAccessibleName("Range start:");
    EXPECT_EQ(namelessControls(&form), "");
}

TEST(Accessibility, EveryControlOfEveryPageHasAName) {
    RecordingMessages messages;
    AppContext ctx{messages};
    ShellWindow w{ctx};
    CPropSheet* sheet = w.sheet();
    for (QWidget* page : std::initializer_list<QWidget*>{
             sheet->basicConfigPage(), sheet->dataGatherPage(), sheet->calibrationPage(),
             sheet->outputCalibrationPage(), sheet->temperaturePage(), sheet->liveValuesPage()})
        EXPECT_EQ(namelessControls(page), "") << page->objectName().toStdString();
    ASSERT_TRUE(w.frame.view()->enterEnterpriseMode());
    EXPECT_EQ(namelessControls(sheet->basicConfigPage()), "");
}

TEST(Accessibility, EveryControlOfTheDialogsHasAName) {
    RecordingMessages messages;
    SerialSettings settings;
    CSerialConfigDlg serial(settings, {});
    EXPECT_EQ(namelessControls(&serial), "");
    CLoginDlg login(messages, [] {});
    EXPECT_EQ(namelessControls(&login), "");
    CAboutDlg about;
    EXPECT_EQ(namelessControls(&about), "");
    WaitDialog wait(
        "Searching online device, please wait ...................", "Cancel Search",
        [] { return false; }, [] {});
    EXPECT_EQ(namelessControls(&wait), "");
    AppContext ctx{messages};
    BusMonitorWindow monitor(ctx);
    EXPECT_EQ(namelessControls(&monitor), "");
}

}  // namespace
