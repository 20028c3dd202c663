#include "config/qt/BasicConfigPage.h"

CBasicConfigPage::CBasicConfigPage(AppContext& ctx, QWidget* parent)
    : SheetPage(parent), ctx_(ctx) {
    setObjectName("CBasicConfigPage");
}

CBasicConfigPage::~CBasicConfigPage() = default;

void CBasicConfigPage::ShowEnterpriseLayout() {}
void CBasicConfigPage::clearSearchDone() {}
void CBasicConfigPage::OnImportBasicParams() {}
void CBasicConfigPage::OnLoadLevelPreset() {}
void CBasicConfigPage::OnLoadTemperaturePreset() {}
