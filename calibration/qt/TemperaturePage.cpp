#include "calibration/qt/TemperaturePage.h"

CTemperaturePage::CTemperaturePage(QWidget* parent) : SheetPage(parent) {
    setObjectName("CTemperaturePage");
}
