#pragma once
// "The basic configuration": search, parameter display and editing, download, parameter files.

#include "shell/AppContext.h"
#include "shell/qt/SheetPage.h"

class CBasicConfigPage : public SheetPage {
    Q_OBJECT
public:
    CBasicConfigPage(AppContext& ctx, QWidget* parent = nullptr);
    ~CBasicConfigPage() override;

    // Called by the enterprise login.
    void ShowEnterpriseLayout();
    void clearSearchDone();

    // View commands.
    void OnImportBasicParams();
    void OnLoadLevelPreset();
    void OnLoadTemperaturePreset();

private:
    AppContext& ctx_;
};
