#include "calibration/qt/CalibrationPage.h"

CCalibrationPage::CCalibrationPage(AppContext& ctx, QWidget* parent)
    : SheetPage(parent), ctx_(ctx) {
    setObjectName("CCalibrationPage");
}

CCalibrationPage::~CCalibrationPage() = default;
