#pragma once
// The view: fills the main window with the property sheet, holds the port-command state (in the
// context) and carries the menu commands.
//
// Window's thread only. The port-command state follows the port's real state: the bus reports
// every change (also a hang-up found by a worker), and the view takes it over on its own thread.

#include <QStringList>
#include <QWidget>
#include <atomic>

#include "state/AppContext.h"

class CPropSheet;

class CKorvelantisView : public QWidget, private BusObserver {
    Q_OBJECT
public:
    CKorvelantisView(AppContext& ctx, QWidget* parent = nullptr);
    ~CKorvelantisView() override;

    CPropSheet* sheet() const { return sheet_; }
    AppContext& context() const { return ctx_; }

    // Brings the second page forward and then the first, so both pages are set up and
    // "The basic configuration" is in front.
    void OnInitialUpdate();

    // The simulated bus's terminal, offered in the serial dialog while it runs.
    void setSimulatedPort(const QString& path) { simulatedPort_ = path; }
    // What the serial dialog offers after "COM1".."COM8".
    QStringList morePortChoices() const;

    // CanOpenPort / CanClosePort from the port's state; true when they changed.
    bool refreshPortFlags();
    // The port was closed by its line (a hang-up), not by the operator, and not opened since.
    bool portHungUp() const { return hungUp_.load(); }

    // Menu commands.
    void OnSerialConfig();
    void OnOpenPort();
    void OnClosePort();
    void OnLogin();
    // The switch to enterprise mode after a correct password. false when already switched.
    bool enterEnterpriseMode();
    void OnImportData();
    void OnImportBasicParams();
    void OnLoadLevelPreset();
    void OnLoadTemperaturePreset();
    void OnTimeDivision(int minutesPerDivision);
    void OnOutputIndex(int outputIndex);

signals:
    // A flag the menu rules read has changed.
    void commandStateChanged();
    // Enterprise mode has been entered; the frame changes its menu.
    void enterpriseModeEntered();
    // The port was opened, closed or hung up, or its settings were edited.
    void portChanged();

private:
    void portStateChanged(CSerialPort::State state) override;

    AppContext& ctx_;
    CPropSheet* sheet_;
    QString simulatedPort_;
    // Set while the operator's Open or Close runs: a close seen meanwhile is not a hang-up.
    std::atomic<bool> portCommand_{false};
    std::atomic<bool> hungUp_{false};
};
