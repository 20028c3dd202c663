#pragma once
// "温度补偿": a placeholder page with no controls.

#include "common/qt/SheetPage.h"

class CTemperaturePage : public SheetPage {
    Q_OBJECT
public:
    explicit CTemperaturePage(QWidget* parent = nullptr);
};
