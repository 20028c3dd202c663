#pragma once
// "输出校准": calibration of the analogue current and voltage outputs.

#include "shell/AppContext.h"
#include "shell/qt/SheetPage.h"

class COutputCalibrationPage : public SheetPage {
    Q_OBJECT
public:
    COutputCalibrationPage(AppContext& ctx, QWidget* parent = nullptr);
    ~COutputCalibrationPage() override;

private:
    AppContext& ctx_;
};
