#pragma once
// "Data Collection": timed sampling into record files, with the record table and curve below.

#include "shell/AppContext.h"
#include "shell/qt/SheetPage.h"

class CDataGatherDlg : public SheetPage {
    Q_OBJECT
public:
    CDataGatherDlg(AppContext& ctx, QWidget* parent = nullptr);
    ~CDataGatherDlg() override;

    // View commands: "Import data(&D)...", the time divisions (minutes) and the output indices.
    void ImportData();
    void OnTimeDivision(int minutesPerDivision);
    void OnOutputIndex(int outputIndex);

private:
    AppContext& ctx_;
};
