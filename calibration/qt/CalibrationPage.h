#pragma once
// "Calibration": multi-point sensor calibration of all online devices, with the indicator panel.

#include "shell/AppContext.h"
#include "shell/qt/SheetPage.h"

class CCalibrationPage : public SheetPage {
    Q_OBJECT
public:
    CCalibrationPage(AppContext& ctx, QWidget* parent = nullptr);
    ~CCalibrationPage() override;

private:
    AppContext& ctx_;
};
