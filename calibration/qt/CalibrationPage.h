#pragma once
// "Calibration": multi-point sensor calibration of all online devices, with the indicator panel,
// the quality of each fit, the verification of the written devices and the calibration report.
//
// The bus work runs on worker_ behind a wait dialog; its results come back to the window's
// thread through queued calls, and only then touch the list and the tables. The grid and the
// fit quality table always show the core's state for the current targets: readings of this set
// only, K and B only where they were written.

#include <array>
#include <optional>
#include <string>

#include "calibration/SensorCalibration.h"
#include "common/qt/SheetPage.h"
#include "state/AppContext.h"
#include "state/Worker.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTreeWidget;
class CFitQualityTable;
class COnlinePanel;

class CCalibrationPage : public SheetPage {
    Q_OBJECT
public:
    CCalibrationPage(AppContext& ctx, QWidget* parent = nullptr);
    ~CCalibrationPage() override;

    void onSetActive() override;

    // The buttons' handlers, public so that the window and tests can run them.
    void OnAcquire(int point);
    void OnComputeAndDownload();
    void OnVerify(int point);
    void OnSaveReport();

    calib::SensorCalibration& calibration() { return core_; }
    const calib::TargetSet& targets() const { return targets_; }
    COnlinePanel* onlinePanel() const { return panel_; }
    CFitQualityTable* fitQualityTable() const { return quality_; }
    // The grid as the classic one: row 0 the addresses, column 0 the captions (here its headers,
    // which stay in view while it scrolls), rows and columns counted with them.
    QString gridText(int row, int column) const;
    int gridRowCount() const;
    int gridColumnCount() const;

    // Asked (default No) before another point count discards readings or results.
    static constexpr const char* kDiscardResults =
        QT_TRANSLATE_NOOP("Core", "更改标定点数将清除已采集的数值和K、B值的结果，是否继续？");

private:
    void OnPointCountChanged();
    // Shows the rows of n points and their targets, and makes them the core's targets.
    void applyPointCount(int n);
    void updateTargets(int n);
    void layoutGrid(int n);
    void setGridText(int row, int column, const QString& text);
    // Both tables' columns as wide as the wider content, so they stay aligned as they scroll.
    void alignColumns();
    void showAcquisition(const calib::AcquisitionOutcome& outcome);
    // The grid's readings and coefficients and the quality table, from the core's state.
    void showState();
    // A callback for the worker that has showState() run on the window's thread.
    std::function<void()> stateChanged();
    int selectedPointCount() const;
    bool holdsResults() const;

    AppContext& ctx_;
    calib::SensorCalibration core_;
    calib::TargetSet targets_;
    std::array<float, calib::kMaxPoints> TargetValues{};
    std::string PageSignalType;
    int PageDensity = 0;
    std::string unitText_;
    // The results that new targets cleared, still for the report until new readings are taken:
    // the devices hold the K and B written then.
    std::optional<calib::CalibrationSnapshot> clearedResults_;

    QComboBox* pointCount_ = nullptr;
    std::array<QLabel*, calib::kMaxPoints> targetTexts_{};
    std::array<QLabel*, calib::kMaxPoints> unitTexts_{};
    std::array<QPushButton*, calib::kMaxPoints> acquireButtons_{};
    std::array<QPushButton*, calib::kMaxPoints> verifyButtons_{};
    QTreeWidget* results_ = nullptr;
    QTableWidget* grid_ = nullptr;
    CFitQualityTable* quality_ = nullptr;
    QPushButton* computeButton_ = nullptr;
    QPushButton* reportButton_ = nullptr;
    COnlinePanel* panel_ = nullptr;

    // Last member: destroyed first, so no worker outlives the state it uses.
    Worker worker_;
};
