#include "acquisition/qt/DataGatherDlg.h"

CDataGatherDlg::CDataGatherDlg(AppContext& ctx, QWidget* parent) : SheetPage(parent), ctx_(ctx) {
    setObjectName("CDataGatherDlg");
}

CDataGatherDlg::~CDataGatherDlg() = default;

void CDataGatherDlg::ImportData() {}
void CDataGatherDlg::OnTimeDivision(int minutes) {
    ctx_.MinutesPerDivision = minutes;
}
void CDataGatherDlg::OnOutputIndex(int index) {
    ctx_.OutputIndex = index;
}
