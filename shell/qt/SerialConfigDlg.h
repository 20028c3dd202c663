#pragma once
// "Serial Configuration": edits the serial settings of the view: the six line settings and the
// response time-out ("Classic", or 20 .. 5000 ms), and the kernel's RS-485 mode.
//
// "确定" stores what the lists show; "取消", Escape, Enter in a list and the window's close
// button change nothing. The settings take effect at the next "Open Serial port (&O)".

#include <QDialog>
#include <QStringList>

#include "link/SerialSettings.h"

class QCheckBox;
class QComboBox;
class QPushButton;

class CSerialConfigDlg : public QDialog {
    Q_OBJECT
public:
    // `morePorts`: the serial ports found on this machine and the simulated bus, offered after
    // "COM1".."COM8".
    CSerialConfigDlg(SerialSettings& settings, const QStringList& morePorts,
                     QWidget* parent = nullptr);

    QComboBox* dataFormatList() const { return format_; }
    QComboBox* portList() const { return port_; }
    QComboBox* baudRateList() const { return baud_; }
    QComboBox* parityList() const { return parity_; }
    QComboBox* dataBitsList() const { return dataBits_; }
    QComboBox* stopBitsList() const { return stopBits_; }
    QComboBox* responseTimeoutList() const { return timeout_; }
    QCheckBox* rs485Box() const { return rs485_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QComboBox* addList(const QString& caption, const char* objectName, const QStringList& items);
    void showSettings();
    void OnOK();

    SerialSettings& settings_;
    QComboBox* format_;
    QComboBox* port_;
    QComboBox* baud_;
    QComboBox* parity_;
    QComboBox* dataBits_;
    QComboBox* stopBits_;
    QComboBox* timeout_;
    QCheckBox* rs485_;
    QPushButton* ok_;
    QPushButton* cancel_;
    class QFormLayout* form_;
};
