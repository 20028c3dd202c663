#pragma once
// "Calibration": multi-point sensor calibration of all online devices, with the indicator panel.
//
// The bus work runs on worker_ behind a wait dialog; its results come back to the window's
// thread through queued calls, and only then touch the list and the grid.

#include <array>
#include <string>

#include "calibration/SensorCalibration.h"
#include "common/AppContext.h"
#include "common/Worker.h"
#include "common/qt/SheetPage.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTreeWidget;
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

    calib::SensorCalibration& calibration() { return core_; }
    COnlinePanel* onlinePanel() const { return panel_; }
    QString gridText(int row, int column) const;

private:
    void OnPointCountChanged();
    // Shows the rows of n points and their targets; the grid is cleared first when asked.
    void applyPointCount(int n, bool clearGrid);
    void updateTargets(int n);
    void layoutGrid(int n);
    void setGridText(int row, int column, const QString& text);
    void showAcquisition(int point, const calib::AcquisitionOutcome& outcome);
    void showCoefficients(int n, const std::vector<calib::CoefficientCell>& cells);
    int selectedPointCount() const;

    AppContext& ctx_;
    calib::SensorCalibration core_;
    std::array<float, calib::kMaxPoints> TargetValues{};
    std::string PageSignalType;
    int PageDensity = 0;

    QComboBox* pointCount_ = nullptr;
    std::array<QLabel*, calib::kMaxPoints> targetTexts_{};
    std::array<QLabel*, calib::kMaxPoints> unitTexts_{};
    std::array<QPushButton*, calib::kMaxPoints> acquireButtons_{};
    QTreeWidget* results_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QPushButton* computeButton_ = nullptr;
    COnlinePanel* panel_ = nullptr;

    // Last member: destroyed first, so no worker outlives the state it uses.
    Worker worker_;
};
