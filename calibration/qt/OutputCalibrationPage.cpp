#include "calibration/qt/OutputCalibrationPage.h"

COutputCalibrationPage::COutputCalibrationPage(AppContext& ctx, QWidget* parent)
    : SheetPage(parent), ctx_(ctx) {
    setObjectName("COutputCalibrationPage");
}

COutputCalibrationPage::~COutputCalibrationPage() = default;
