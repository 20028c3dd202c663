#include "shell/qt/KorvelantisView.h"

#include <QVBoxLayout>

#include "acquisition/qt/DataGatherDlg.h"
#include "calibration/qt/CalibrationPage.h"
#include "calibration/qt/OutputCalibrationPage.h"
#include "calibration/qt/TemperaturePage.h"
#include "config/qt/BasicConfigPage.h"
#include "live/qt/LiveValuesPage.h"
#include "shell/SerialPortList.h"
#include "shell/qt/LoginDlg.h"
#include "shell/qt/PropSheet.h"
#include "shell/qt/SerialConfigDlg.h"

CKorvelantisView::CKorvelantisView(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    setObjectName("korvelantisView");
    sheet_ = new CPropSheet(ctx, this);
    // The layout keeps the sheet and its tabs exactly as large as the view at every size.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sheet_);
    ctx_.bus.addObserver(this);
}

CKorvelantisView::~CKorvelantisView() {
    ctx_.bus.removeObserver(this);
    ctx_.importState.clear();
}

// Any thread: carried to the window's thread (dropped there if the view has gone meanwhile).
void CKorvelantisView::portStateChanged(CSerialPort::State state) {
    if (state == CSerialPort::State::Closed && !portCommand_.load())
        hungUp_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (refreshPortFlags())
                emit commandStateChanged();
            emit portChanged();
        },
        Qt::QueuedConnection);
}

bool CKorvelantisView::refreshPortFlags() {
    const int open = ctx_.bus.isOpen() ? 1 : 0;
    if (ctx_.CanClosePort == open && ctx_.CanOpenPort == 1 - open)
        return false;
    ctx_.CanOpenPort = 1 - open;
    ctx_.CanClosePort = open;
    return true;
}

void CKorvelantisView::OnInitialUpdate() {
    sheet_->SetActivePage(1);
    sheet_->SetActivePage(0);
}

QStringList CKorvelantisView::morePortChoices() const {
    std::vector<std::string> found = listSerialPorts();
    if (!simulatedPort_.isEmpty())
        found.push_back(simulatedPort_.toStdString());
    QStringList out;
    for (const auto& p : portChoicesBeyond(found)) out << QString::fromStdString(p);
    return out;
}

void CKorvelantisView::OnSerialConfig() {
    CSerialConfigDlg dlg(ctx_.serialSettings, morePortChoices(), window());
    dlg.exec();
    emit portChanged();
}

void CKorvelantisView::OnOpenPort() {
    if (!ctx_.CanOpenPort)
        return;
    ctx_.PortSettingsCopy = ctx_.serialSettings;
    // A successful Open swaps the two items, a failed one leaves them; Close always swaps back.
    portCommand_ = true;
    hungUp_ = false;
    ctx_.openPort(ctx_.PortSettingsCopy);
    portCommand_ = false;
    refreshPortFlags();
    emit commandStateChanged();
    emit portChanged();
}

void CKorvelantisView::OnClosePort() {
    if (!ctx_.CanClosePort)
        return;
    portCommand_ = true;
    ctx_.closePort();
    portCommand_ = false;
    hungUp_ = false;
    refreshPortFlags();
    emit commandStateChanged();
    emit portChanged();
}

void CKorvelantisView::OnLogin() {
    if (ctx_.EnterpriseMode.load() != 0)
        return;
    CLoginDlg dlg(
        ctx_.messages, [this] { enterEnterpriseMode(); }, window());
    dlg.exec();
}

bool CKorvelantisView::enterEnterpriseMode() {
    if (ctx_.EnterpriseMode.exchange(1) != 0)
        return false;
    sheet_->AddPage(sheet_->calibrationPage());
    sheet_->AddPage(sheet_->outputCalibrationPage());
    sheet_->AddPage(sheet_->temperaturePage());
    sheet_->AddPage(sheet_->liveValuesPage());
    sheet_->RemovePage(sheet_->dataGatherPage());
    sheet_->basicConfigPage()->ShowEnterpriseLayout();
    sheet_->basicConfigPage()->clearSearchDone();
    emit enterpriseModeEntered();
    emit commandStateChanged();
    return true;
}

void CKorvelantisView::OnImportData() {
    sheet_->dataGatherPage()->ImportData();
}

void CKorvelantisView::OnImportBasicParams() {
    if (ctx_.EnterpriseMode.load())
        sheet_->basicConfigPage()->OnImportBasicParams();
}

void CKorvelantisView::OnLoadLevelPreset() {
    if (ctx_.EnterpriseMode.load())
        sheet_->basicConfigPage()->OnLoadLevelPreset();
}

void CKorvelantisView::OnLoadTemperaturePreset() {
    if (ctx_.EnterpriseMode.load())
        sheet_->basicConfigPage()->OnLoadTemperaturePreset();
}

void CKorvelantisView::OnTimeDivision(int minutesPerDivision) {
    ctx_.MinutesPerDivision = minutesPerDivision;
    sheet_->dataGatherPage()->OnTimeDivision(minutesPerDivision);
    emit commandStateChanged();
}

void CKorvelantisView::OnOutputIndex(int outputIndex) {
    ctx_.OutputIndex = outputIndex;
    sheet_->dataGatherPage()->OnOutputIndex(outputIndex);
    emit commandStateChanged();
}
