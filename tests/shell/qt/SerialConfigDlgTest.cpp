#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ShellFixture.h"
#include "shell/qt/SerialConfigDlg.h"
#include "tests/support/RecordingMessages.h"

namespace {
void choose(QComboBox* list, const QString& item) {
    const int i = list->findText(item);
    ASSERT_GE(i, 0) << item.toStdString();
    list->setCurrentIndex(i);
}

void press(QWidget* target, int key) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

bool same(const SerialSettings& a, const SerialSettings& b) {
    return a.DataFormat == b.DataFormat && a.PortName == b.PortName && a.BaudRate == b.BaudRate &&
           a.Parity == b.Parity && a.DataBits == b.DataBits && a.StopBits == b.StopBits &&
           a.ResponseTimeoutMs == b.ResponseTimeoutMs && a.Rs485 == b.Rs485;
}
}  // namespace

TEST(SerialConfigDlg, ShowsTheStartValues) {
    SerialSettings s;
    CSerialConfigDlg dlg(s, {});
    EXPECT_EQ(dlg.dataFormatList()->currentText(), "RTU");
    EXPECT_EQ(dlg.portList()->currentText(), "COM1");
    EXPECT_EQ(dlg.baudRateList()->currentText(), "9600");
    EXPECT_EQ(dlg.parityList()->currentText(), "No parity");
    EXPECT_EQ(dlg.dataBitsList()->currentText(), "8");
    EXPECT_EQ(dlg.stopBitsList()->currentText(), "1");
    EXPECT_EQ(dlg.okButton()->accessibleName(), QString::fromUtf8("确定"));
    EXPECT_EQ(dlg.cancelButton()->accessibleName(), QString::fromUtf8("取消"));
    EXPECT_FALSE(dlg.okButton()->icon().isNull());
}

TEST(SerialConfigDlg, OffersClassicNamesThenThePortsOfThisMachine) {
    SerialSettings s;
    CSerialConfigDlg dlg(s, {"/dev/ttyUSB0", "/dev/pts/4", "COM3"});
    QStringList items;
    for (int i = 0; i < dlg.portList()->count(); ++i) items << dlg.portList()->itemText(i);
    EXPECT_EQ(items, QStringList({"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8",
                                  "/dev/ttyUSB0", "/dev/pts/4"}));
    EXPECT_TRUE(dlg.portList()->isEditable());
}

TEST(SerialConfigDlg, OkStoresNumbersAsIntegersAndReopeningShowsThem) {
    SerialSettings s;
    {
        CSerialConfigDlg dlg(s, {});
        choose(dlg.baudRateList(), "115200");
        choose(dlg.dataBitsList(), "7");
        choose(dlg.parityList(), "even parity");
        choose(dlg.stopBitsList(), "2");
        EXPECT_FALSE(dlg.rs485Box()->isChecked());
        EXPECT_FALSE(dlg.rs485Box()->accessibleName().isEmpty());
        dlg.rs485Box()->setChecked(true);
        dlg.okButton()->click();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    EXPECT_EQ(s.BaudRate, 115200);
    EXPECT_EQ(s.DataBits, 7);
    EXPECT_EQ(s.Parity, "even parity");
    EXPECT_EQ(s.StopBits, "2");
    EXPECT_TRUE(s.Rs485);
    CSerialConfigDlg again(s, {});
    EXPECT_EQ(again.baudRateList()->currentText(), "115200");
    EXPECT_EQ(again.dataBitsList()->currentText(), "7");
    EXPECT_TRUE(again.rs485Box()->isChecked());
}

TEST(SerialConfigDlg, TypedPortPathIsStoredAsTypedAndShownAgain) {
    SerialSettings s;
    {
        CSerialConfigDlg dlg(s, {});
        dlg.portList()->setEditText("/dev/serial/by-id/usb-adapter");
        dlg.okButton()->click();
    }
    EXPECT_EQ(s.PortName, "/dev/serial/by-id/usb-adapter");
    CSerialConfigDlg again(s, {});
    EXPECT_EQ(again.portList()->currentText(), "/dev/serial/by-id/usb-adapter");
}

TEST(SerialConfigDlg, TypedBaudRateThatIsNoItemKeepsThePreviousValue) {
    SerialSettings s;
    CSerialConfigDlg dlg(s, {});
    dlg.baudRateList()->setEditText("14400");
    dlg.dataBitsList()->setEditText("");
    dlg.okButton()->click();
    EXPECT_EQ(s.BaudRate, 9600);
    EXPECT_EQ(s.DataBits, 8);
}

TEST(SerialConfigDlg, CancelEscapeAndEnterInAListChangeNothing) {
    const SerialSettings before;
    for (int way = 0; way < 3; ++way) {
        SerialSettings s;
        CSerialConfigDlg dlg(s, {});
        dlg.show();
        choose(dlg.baudRateList(), "115200");
        dlg.portList()->setEditText("/dev/ttyUSB3");
        choose(dlg.responseTimeoutList(), "100");
        dlg.rs485Box()->setChecked(true);
        if (way == 0)
            dlg.cancelButton()->click();
        else if (way == 1)
            press(&dlg, Qt::Key_Escape);
        else
            press(dlg.portList()->lineEdit(), Qt::Key_Return);
        EXPECT_FALSE(dlg.isVisible()) << way;
        EXPECT_EQ(dlg.result(), QDialog::Rejected) << way;
        EXPECT_TRUE(same(s, before)) << way;
    }
}

TEST(SerialConfigDlg, MenuCommandEditsTheViewsSettings) {
    RecordingMessages messages;
    AppContext ctx(messages);
    ShellWindow w(ctx);
    whenModal<CSerialConfigDlg>([](CSerialConfigDlg* d) {
        choose(d->baudRateList(), "19200");
        d->okButton()->click();
    });
    w.action("actionSerialConfig")->trigger();
    EXPECT_EQ(ctx.serialSettings.BaudRate, 19200);
    EXPECT_EQ(ctx.PortSettingsCopy.BaudRate, 9600) << "the copy is taken only by Open";
}

// The prefix rule turned a typed "/dev/ttyUSB1" into "/dev/ttyUSB10" when only that was listed.
TEST(SerialConfigDlg, TypedPathIsKeptWhenALongerOneIsListed) {
    SerialSettings s;
    s.PortName = "/dev/ttyUSB1";
    {
        CSerialConfigDlg dlg(s, {"/dev/ttyUSB10"});
        EXPECT_EQ(dlg.portList()->currentText(), "/dev/ttyUSB1");
        dlg.okButton()->click();
    }
    EXPECT_EQ(s.PortName, "/dev/ttyUSB1");
    s.PortName = "/dev/ttyUSB10";
    CSerialConfigDlg listed(s, {"/dev/ttyUSB1", "/dev/ttyUSB10"});
    EXPECT_EQ(listed.portList()->currentText(), "/dev/ttyUSB10");
    EXPECT_GE(listed.portList()->currentIndex(), 0);
}

TEST(SerialConfigDlg, ResponseTimeOutIsClassicOrMillisecondsInRange) {
    SerialSettings s;
    {
        CSerialConfigDlg dlg(s, {});
        QComboBox* list = dlg.responseTimeoutList();
        EXPECT_EQ(list->objectName(), "serialResponseTimeout");
        EXPECT_EQ(list->accessibleName(), "Response time-out:");
        auto* label = dlg.findChild<QLabel*>("serialResponseTimeoutLabel");
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->buddy(), list);
        EXPECT_EQ(list->currentText(), "Classic");
        choose(list, "50");
        dlg.okButton()->click();
    }
    EXPECT_EQ(s.ResponseTimeoutMs, 50);
    struct Typed {
        const char* text;
        int stored;
    };
    // Typed numbers in range are taken; anything else keeps the setting (50).
    for (const Typed& t : std::initializer_list<Typed>{{"75", 75},
                                                       {" 5000 ", 5000},
                                                       {"20", 20},
                                                       {"19", 50},
                                                       {"5001", 50},
                                                       {"abc", 50},
                                                       {"", 50},
                                                       {"classic", 0},
                                                       {"Classic", 0}}) {
        s.ResponseTimeoutMs = 50;
        CSerialConfigDlg dlg(s, {});
        EXPECT_EQ(dlg.responseTimeoutList()->currentText(), "50");
        dlg.responseTimeoutList()->setEditText(t.text);
        dlg.okButton()->click();
        EXPECT_EQ(s.ResponseTimeoutMs, t.stored) << t.text;
    }
    s.ResponseTimeoutMs = 75;
    CSerialConfigDlg again(s, {});
    EXPECT_EQ(again.responseTimeoutList()->currentText(), "75");
}
