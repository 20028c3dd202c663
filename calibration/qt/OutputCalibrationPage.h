#pragma once
// "输出校准": calibration of the analogue current and voltage outputs.
//
// The low/high commands (each device's echo awaited, up to 35 s on a silent bus) and the
// coefficient downloads (11.5 s a device) run on worker_ behind their wait dialogs.

#include <QString>
#include <array>
#include <atomic>

#include "base/Progress.h"
#include "calibration/OutputCalibration.h"
#include "common/qt/SheetPage.h"
#include "state/AppContext.h"
#include "state/Worker.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class COutputCalibrationPage : public SheetPage {
    Q_OBJECT
public:
    COutputCalibrationPage(AppContext& ctx, QWidget* parent = nullptr);
    ~COutputCalibrationPage() override;

    void onSetActive() override;

    // Handlers, public so that tests can run them.
    void OnCommand(calib::OutputKind kind, std::uint16_t value);
    void OnCompute(calib::OutputKind kind);
    void OnDownload(calib::OutputKind kind);

    // The page's values, as the last compute or exchange left them.
    float LowCurrent = 0, HighCurrent = 0, CurrentSlope = 0, CurrentOffset = 0;
    float LowVoltage = 0, HighVoltage = 0, VoltageSlope = 0, VoltageOffset = 0;
    std::atomic<int> CurrentDownloadDone{0};
    std::atomic<int> VoltageDownloadDone{0};

    // Text of a value in its edit: six significant digits.
    static QString formatValue(float v);

private:
    // Edits into the values, in the page's exchange order; stops at the first edit that holds
    // no number and tells the operator. False then.
    bool exchangeFromEdits();
    void exchangeToEdits();
    QGroupBox* buildGroup(calib::OutputKind kind);

    AppContext& ctx_;
    QGroupBox* currentGroup_ = nullptr;
    // Why a group is greyed out: the output type chosen on the basic configuration page.
    QLabel* groupsNote_ = nullptr;
    QGroupBox* voltageGroup_ = nullptr;
    // 1059, 1058, 1061, 1060, 1064, 1065, 1066, 1063: the exchange order of the edits.
    QLineEdit* lowCurrentEdit_ = nullptr;
    QLineEdit* highCurrentEdit_ = nullptr;
    QLineEdit* currentSlopeEdit_ = nullptr;
    QLineEdit* currentOffsetEdit_ = nullptr;
    QLineEdit* lowVoltageEdit_ = nullptr;
    QLineEdit* highVoltageEdit_ = nullptr;
    QLineEdit* voltageSlopeEdit_ = nullptr;
    QLineEdit* voltageOffsetEdit_ = nullptr;
    std::atomic<int> downloadCancel_{0};
    std::atomic<int> commandDone_{0};
    std::atomic<int> commandCancel_{0};
    std::atomic<int> commandSent_{0};  // devices addressed, -1 when the port failed
    Progress progress_;

    // Last member: destroyed first, so no worker outlives the state it uses.
    Worker worker_;
};
