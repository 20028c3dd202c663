#include "shell/qt/SerialConfigDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/NumberText.h"
#include "common/qt/Look.h"
#include "shell/SerialPortList.h"
#include "shell/qt/ProgramIcon.h"

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// The first item that begins with `text` (case ignored), as a drop-down list finds it.
int findPrefix(const QComboBox* list, const QString& text) {
    for (int i = 0; i < list->count(); ++i)
        if (list->itemText(i).startsWith(text, Qt::CaseInsensitive))
            return i;
    return -1;
}

void showText(QComboBox* list, const std::string& value) {
    const int i = findPrefix(list, q(value));
    list->setCurrentIndex(i);
    if (i < 0)
        list->setEditText(q(value));
}

// The item that reads exactly `value`, else `value` as typed: a port is a path, and a typed
// "/dev/ttyUSB1" must not become the listed "/dev/ttyUSB10".
void showExactly(QComboBox* list, const std::string& value) {
    const int i = list->findText(q(value), Qt::MatchExactly | Qt::MatchCaseSensitive);
    list->setCurrentIndex(i);
    if (i < 0)
        list->setEditText(q(value));
}

const QString kClassic = QStringLiteral("Classic");

QString shown(const char* text) {
    return QCoreApplication::translate("CSerialConfigDlg", text);
}

// The parity texts are settings the port reads; the list shows them in the window's language.
constexpr const char* kParities[] = {QT_TRANSLATE_NOOP("CSerialConfigDlg", "No parity"),
                                     QT_TRANSLATE_NOOP("CSerialConfigDlg", "Odd parity"),
                                     QT_TRANSLATE_NOOP("CSerialConfigDlg", "even parity")};

QString shownParity(const std::string& parity) {
    for (const char* p : kParities)
        if (parity == p)
            return shown(p);
    return q(parity);
}

std::string storedParity(const QString& text) {
    for (const char* p : kParities)
        if (text == shown(p))
            return p;
    return text.toStdString();
}

QString timeoutText(int ms) {
    return ms == SerialSettings::kClassicResponseTimeout
               ? shown(QT_TRANSLATE_NOOP("CSerialConfigDlg", "Classic"))
               : QString::fromStdString(num::formatInt(ms));
}

// "Classic" or a whole number of milliseconds in range; anything else keeps the setting.
bool selectedTimeout(const QComboBox* list, int& ms) {
    const QString text = list->currentText().trimmed();
    if (text.compare(kClassic, Qt::CaseInsensitive) == 0 ||
        text.compare(shown("Classic"), Qt::CaseInsensitive) == 0) {
        ms = SerialSettings::kClassicResponseTimeout;
        return true;
    }
    const auto v = num::parseInteger(text.toStdString(), SerialSettings::kMinResponseTimeoutMs,
                                     SerialSettings::kMaxResponseTimeoutMs);
    if (v)
        ms = static_cast<int>(*v);
    return v.has_value();
}

void showNumber(QComboBox* list, int value) {
    list->setCurrentIndex(findPrefix(list, QString::number(value)));
}

// The item the list has selected: the one its edit field shows exactly. Typed text that is no
// item selects nothing, and the setting keeps its value.
bool selectedNumber(const QComboBox* list, int& value) {
    const int i =
        list->findText(list->currentText(), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (i < 0)
        return false;
    bool ok = false;
    const int v = list->itemText(i).toInt(&ok);
    if (ok)
        value = v;
    return ok;
}

}  // namespace

CSerialConfigDlg::CSerialConfigDlg(SerialSettings& settings, const QStringList& morePorts,
                                   QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName("serialConfigDlg");
    setWindowTitle(tr("Serial Configuration"));
    Look::paintDialogBackground(this);
    form_ = new QFormLayout;

    QStringList ports;
    for (const auto& n : classicPortNames()) ports << q(n);
    for (const QString& p : morePorts)
        if (!ports.contains(p))
            ports << p;

    format_ = addList(tr("Data formats:"), "serialDataFormat", {"RTU", "ASCII"});
    port_ = addList(tr("Serial:"), "serialPort", ports);
    baud_ = addList(
        tr("Baud rate:"), "serialBaudRate",
        {"300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"});
    parity_ = addList(tr("Parity bit:"), "serialParity",
                      {shown(kParities[0]), shown(kParities[1]), shown(kParities[2])});
    dataBits_ = addList(tr("Data bits:"), "serialDataBits", {"8", "7"});
    stopBits_ = addList(tr("Stop bit:"), "serialStopBits", {"1", "1.5", "2"});
    timeout_ = addList(tr("Response time-out:"), "serialResponseTimeout",
                       {timeoutText(SerialSettings::kClassicResponseTimeout), "20", "50", "100",
                        "200", "500", "1000", "2000", "5000"});
    timeout_->setToolTip(
        tr("Classic: every exchange waits as it always has. A number: how many milliseconds a "
           "device may take beyond the wire time (20 to 5000)."));
    port_->setMinimumContentsLength(18);
    rs485_ = new QCheckBox(tr("RS-485 mode (RTS on send)"), this);
    rs485_->setObjectName("serialRs485");
    rs485_->setAccessibleName(rs485_->text());
    rs485_->setToolTip(tr("For a native UART that switches the transceiver itself."));
    form_->addRow(rs485_);

    ok_ = new QPushButton(ProgramIcon::confirmImage(), tr("确定"), this);
    ok_->setObjectName("serialOk");
    cancel_ = new QPushButton(ProgramIcon::cancelImage(), tr("取消"), this);
    cancel_->setObjectName("serialCancel");
    for (QPushButton* b : {ok_, cancel_}) {
        b->setAccessibleName(b->text());
        b->setIconSize(QSize(24, 24));
        // Neither button is the dialog's default: Enter must not store (see keyPressEvent).
        b->setAutoDefault(false);
    }
    connect(ok_, &QPushButton::clicked, this, &CSerialConfigDlg::OnOK);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form_);
    layout->addLayout(buttons);

    showSettings();
}

QComboBox* CSerialConfigDlg::addList(const QString& caption, const char* objectName,
                                     const QStringList& items) {
    auto* label = new QLabel(caption, this);
    label->setObjectName(QString(objectName) + "Label");
    auto* list = new QComboBox(this);
    list->setObjectName(objectName);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->addItems(items);
    list->setAccessibleName(caption);
    label->setBuddy(list);
    list->installEventFilter(this);
    list->lineEdit()->installEventFilter(this);
    form_->addRow(label, list);
    return list;
}

void CSerialConfigDlg::showSettings() {
    showText(format_, settings_.DataFormat);
    showExactly(port_, settings_.PortName);
    showNumber(baud_, settings_.BaudRate);
    showText(parity_, shownParity(settings_.Parity).toStdString());
    showNumber(dataBits_, settings_.DataBits);
    showText(stopBits_, settings_.StopBits);
    showExactly(timeout_, timeoutText(settings_.ResponseTimeoutMs).toStdString());
    rs485_->setChecked(settings_.Rs485);
}

void CSerialConfigDlg::OnOK() {
    settings_.DataFormat = format_->currentText().toStdString();
    settings_.PortName = port_->currentText().toStdString();
    settings_.Parity = storedParity(parity_->currentText());
    selectedNumber(baud_, settings_.BaudRate);
    selectedNumber(dataBits_, settings_.DataBits);
    settings_.StopBits = stopBits_->currentText().toStdString();
    selectedTimeout(timeout_, settings_.ResponseTimeoutMs);
    settings_.Rs485 = rs485_->isChecked();
    accept();
}

// Enter in a list closes the dialog without storing, as it always has.
bool CSerialConfigDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CSerialConfigDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* b = qobject_cast<QPushButton*>(focusWidget()))
            b->click();  // Enter on a focused button presses it
        else
            reject();
        return;
    }
    QDialog::keyPressEvent(event);
}
