#include "shell/qt/MainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <algorithm>

#include "config/qt/BasicConfigPage.h"
#include "link/CSerialPort.h"
#include "shell/LockKeys.h"
#include "shell/PortPane.h"
#include "shell/qt/AboutDlg.h"
#include "shell/qt/BusMonitorWindow.h"
#include "shell/qt/KorvelantisView.h"
#include "shell/qt/ProgramIcon.h"
#include "shell/qt/PropSheet.h"
#include "shell/qt/StatusLine.h"

CMainFrame::CMainFrame(AppContext& ctx, QWidget* parent) : QMainWindow(parent), ctx_(ctx) {
    setObjectName("mainFrame");
    setWindowTitle("Korvelantis");
    setWindowIcon(ProgramIcon::icon());
    view_ = new CKorvelantisView(ctx, this);
    setCentralWidget(view_);
    buildStatusBar();
    buildMenus();
    connect(view_, &CKorvelantisView::commandStateChanged, this, &CMainFrame::updateCommandUI);
    connect(view_, &CKorvelantisView::enterpriseModeEntered, this,
            &CMainFrame::ApplyEnterpriseMenu);
    connect(view_, &CKorvelantisView::portChanged, this, &CMainFrame::updatePortPane);
    connect(view_->sheet()->basicConfigPage(), &CBasicConfigPage::searchProgressChanged, this,
            &CMainFrame::showSearchProgress);
    updateCommandUI();
}

const std::vector<std::pair<int, const char*>>& CMainFrame::timeDivisions() {
    static const std::vector<std::pair<int, const char*>> d{
        {5, QT_TRANSLATE_NOOP("CMainFrame", "5 minutes")},
        {10, QT_TRANSLATE_NOOP("CMainFrame", "10 minutes")},
        {30, QT_TRANSLATE_NOOP("CMainFrame", "30 minutes")},
        {60, QT_TRANSLATE_NOOP("CMainFrame", "1 hour")},
        {120, QT_TRANSLATE_NOOP("CMainFrame", "2 hour")},
        {300, QT_TRANSLATE_NOOP("CMainFrame", "5 hour")},
        {600, QT_TRANSLATE_NOOP("CMainFrame", "10 hour")},
        {1200, QT_TRANSLATE_NOOP("CMainFrame", "20 hour")}};
    return d;
}

const std::vector<std::pair<int, const char*>>& CMainFrame::outputIndices() {
    static const std::vector<std::pair<int, const char*>> d{
        {4, QT_TRANSLATE_NOOP("CMainFrame", "1/4 range")},
        {3, QT_TRANSLATE_NOOP("CMainFrame", "1/3 range")},
        {2, QT_TRANSLATE_NOOP("CMainFrame", "1/2 range")},
        {1, QT_TRANSLATE_NOOP("CMainFrame", "Full scale")},
        {0, QT_TRANSLATE_NOOP("CMainFrame", "Full scale+")}};
    return d;
}

QAction* CMainFrame::addCommand(QMenu* menu, const QString& text, const QString& objectName,
                                void (CMainFrame::*slot)()) {
    auto* a = new QAction(text, this);
    a->setObjectName(objectName);
    if (menu)
        menu->addAction(a);
    if (slot)
        connect(a, &QAction::triggered, this, slot);
    return a;
}

void CMainFrame::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("menuBar");
    CKorvelantisView* v = view_;

    fileMenu_ = bar->addMenu(tr("File(&F)"));
    fileMenu_->setObjectName("menuFile");
    // Not in the menu before login; ApplyEnterpriseMenu puts it at the top.
    importBasicParams_ = addCommand(nullptr, tr("Import basic parameters (&P)...\tCtrl+P"),
                                    "actionImportBasicParams");
    connect(importBasicParams_, &QAction::triggered, v, &CKorvelantisView::OnImportBasicParams);
    importData_ = addCommand(fileMenu_, tr("Import data(&D)...\tCtrl+D"), "actionImportData");
    connect(importData_, &QAction::triggered, v, &CKorvelantisView::OnImportData);
    // The keys the two items show; held by the window, so they work with the menu closed. Ctrl+P
    // waits for the login (the item is disabled before), Ctrl+D goes with its item.
    importBasicParams_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    importData_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    addAction(importBasicParams_);
    addAction(importData_);
    QAction* exit = addCommand(fileMenu_, tr("Exit(&X)"), "actionExit");
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* serial = bar->addMenu(tr("Serial port(&S)"));
    serial->setObjectName("menuSerial");
    QAction* config = addCommand(serial, tr("Serial port configuration(&C)"), "actionSerialConfig");
    connect(config, &QAction::triggered, v, &CKorvelantisView::OnSerialConfig);
    openPort_ = addCommand(serial, tr("Open Serial port (&O)"), "actionOpenPort");
    connect(openPort_, &QAction::triggered, v, &CKorvelantisView::OnOpenPort);
    closePort_ = addCommand(serial, tr("Close Serial port (&B)"), "actionClosePort");
    connect(closePort_, &QAction::triggered, v, &CKorvelantisView::OnClosePort);
    QAction* monitor = addCommand(serial, tr("Bus monitor(&M)..."), "actionBusMonitor");
    connect(monitor, &QAction::triggered, this, &CMainFrame::showBusMonitor);

    imageMenu_ = bar->addMenu(tr("Image adjustment(&A)"));
    imageMenu_->setObjectName("menuImage");
    QMenu* division = imageMenu_->addMenu(tr("Time division"));
    division->setObjectName("menuTimeDivision");
    // One choice of several: the menus show them as radio items.
    auto* divisions = new QActionGroup(this);
    divisions->setObjectName("groupTimeDivision");
    divisions->setExclusive(true);
    for (const auto& [minutes, text] : timeDivisions()) {
        QAction* a = addCommand(division, tr(text), QString("actionTimeDivision%1").arg(minutes));
        a->setCheckable(true);
        divisions->addAction(a);
        connect(a, &QAction::triggered, v, [v, m = minutes] { v->OnTimeDivision(m); });
        divisionActions_.emplace_back(minutes, a);
    }
    QMenu* index = imageMenu_->addMenu(tr("The output index"));
    index->setObjectName("menuOutputIndex");
    auto* indices = new QActionGroup(this);
    indices->setObjectName("groupOutputIndex");
    indices->setExclusive(true);
    for (const auto& [value, text] : outputIndices()) {
        QAction* a = addCommand(index, tr(text), QString("actionOutputIndex%1").arg(value));
        a->setCheckable(true);
        indices->addAction(a);
        connect(a, &QAction::triggered, v, [v, i = value] { v->OnOutputIndex(i); });
        indexActions_.emplace_back(value, a);
    }

    QMenu* help = bar->addMenu(tr("Help(&H)"));
    help->setObjectName("menuHelp");
    QAction* about = addCommand(help, tr("About Korvelantis(&A)..."), "actionAbout");
    connect(about, &QAction::triggered, this, [this] {
        CAboutDlg dlg(this);
        dlg.exec();
    });
    login_ = addCommand(help, tr("Enterprise user login(&L)"), "actionLogin");
    connect(login_, &QAction::triggered, v, &CKorvelantisView::OnLogin);

    // The presets join the File menu after login (ApplyEnterpriseMenu).
    loadTemperaturePreset_ =
        addCommand(nullptr, tr("载入温度预设(&T)"), "actionLoadTemperaturePreset");
    connect(loadTemperaturePreset_, &QAction::triggered, v,
            &CKorvelantisView::OnLoadTemperaturePreset);
    loadLevelPreset_ = addCommand(nullptr, tr("载入液位预设(&L)"), "actionLoadLevelPreset");
    connect(loadLevelPreset_, &QAction::triggered, v, &CKorvelantisView::OnLoadLevelPreset);

    for (QMenu* m : {fileMenu_, serial, imageMenu_, division, index, help})
        connect(m, &QMenu::aboutToShow, this, &CMainFrame::updateCommandUI);
}

void CMainFrame::updateCommandUI() {
    view_->refreshPortFlags();
    const bool enterprise = ctx_.EnterpriseMode.load() != 0;
    importBasicParams_->setEnabled(enterprise);
    loadTemperaturePreset_->setEnabled(enterprise);
    loadLevelPreset_->setEnabled(enterprise);
    openPort_->setEnabled(ctx_.CanOpenPort != 0);
    closePort_->setEnabled(ctx_.CanClosePort != 0);
    login_->setEnabled(!enterprise);
    for (auto& [minutes, a] : divisionActions_) a->setChecked(ctx_.MinutesPerDivision == minutes);
    for (auto& [value, a] : indexActions_) a->setChecked(ctx_.OutputIndex == value);
}

void CMainFrame::ApplyEnterpriseMenu() {
    if (imageMenu_) {
        menuBar()->removeAction(imageMenu_->menuAction());
        imageMenu_ = nullptr;  // the menu object stays, owned by the frame
    }
    fileMenu_->removeAction(importData_);
    removeAction(importData_);
    importBasicParams_->setText(tr("导入基本参数(&P)...\tCtrl+P"));
    const auto actions = fileMenu_->actions();
    if (!actions.contains(importBasicParams_))
        fileMenu_->insertAction(actions.isEmpty() ? nullptr : actions.first(), importBasicParams_);
    // The parameter presets are offered beside the import they complement, above "Exit(&X)".
    QAction* exit = fileMenu_->actions().last();
    for (QAction* preset : {loadLevelPreset_, loadTemperaturePreset_})
        if (!fileMenu_->actions().contains(preset))
            fileMenu_->insertAction(exit, preset);
    updateCommandUI();
}

void CMainFrame::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("statusBar");
    // The status line itself: a long reason is cut to the room beside the panes, whole in its
    // tool tip.
    statusLine_ = new StatusLine(bar);
    statusLine_->setObjectName("statusReady");
    statusLine_->setFullText(tr("Ready"));
    bar->addWidget(statusLine_, 1);
    auto pane = [bar](const QString& text, const char* name) {
        auto* l = new QLabel(text, bar);
        l->setObjectName(name);
        l->setAccessibleName(text);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setAlignment(Qt::AlignCenter);
        l->setMinimumWidth(l->fontMetrics().horizontalAdvance(text) + 12);
        bar->addPermanentWidget(l);
        return l;
    };
    // The ordinary search's progress: a bar that carries its text, so the reason beside it keeps
    // most of the room.
    searchProgress_ = new QProgressBar(bar);
    searchProgress_->setObjectName("statusSearchProgress");
    searchProgress_->setAccessibleName(tr("Search progress"));
    searchProgress_->setFixedWidth(190);
    bar->addPermanentWidget(searchProgress_);
    showSearchProgress({}, 0, 0);
    portPane_ = new QLabel(bar);
    portPane_->setObjectName("panePort");
    portPane_->setAccessibleName(tr("Serial port"));
    portPane_->setFrameShape(QFrame::Panel);
    portPane_->setFrameShadow(QFrame::Sunken);
    bar->addPermanentWidget(portPane_);
    updatePortPane();
    capsPane_ = pane(tr("大写"), "paneCaps");
    numPane_ = pane(tr("数字"), "paneNum");
    scrollPane_ = pane(tr("滚动"), "paneScroll");
    refreshLockPanes();
    connect(&lockTimer_, &QTimer::timeout, this, &CMainFrame::refreshLockPanes);
    lockTimer_.start(500);
}

// A pane reads normally while its lock is on and greyed while it is off.
void CMainFrame::refreshLockPanes() {
    const LockKeyState s = readLockKeys();
    capsPane_->setEnabled(s.caps);
    numPane_->setEnabled(s.num);
    scrollPane_->setEnabled(s.scroll);
}

// The port pane names its terminal.
void CMainFrame::showSimulatedBus(const QString& portPath, const QString& devices,
                                  std::function<void(double)> applyPressure) {
    simulatedPath_ = portPath;
    simulatedPane_ = new QWidget(statusBar());
    simulatedPane_->setObjectName("simulatedPane");
    auto* row = new QHBoxLayout(simulatedPane_);
    row->setContentsMargins(0, 0, 0, 0);
    auto* l = new QLabel(tr("Simulated devices %1").arg(devices), simulatedPane_);
    l->setObjectName("statusSimulatedBus");
    row->addWidget(l);
    if (applyPressure) {
        // What a calibration needs: a pressure the operator sets, as at a test bench.
        auto* caption = new QLabel(tr("Applied pressure:"), simulatedPane_);
        caption->setObjectName("appliedPressureLabel");
        auto* pressure = new QDoubleSpinBox(simulatedPane_);
        pressure->setObjectName("appliedPressure");
        pressure->setAccessibleName(tr("Applied pressure"));
        pressure->setRange(-1000.0, 10000.0);
        pressure->setDecimals(3);
        pressure->setSingleStep(0.1);
        pressure->setValue(0.0);
        caption->setBuddy(pressure);
        row->addWidget(caption);
        row->addWidget(pressure);
        connect(pressure, &QDoubleSpinBox::valueChanged, this,
                [applyPressure](double v) { applyPressure(v); });
    }
    statusBar()->insertPermanentWidget(1, simulatedPane_);  // after the search, before the port
    updatePortPane();
}

void CMainFrame::updatePortPane() {
    const bool open = ctx_.bus.isOpen();
    const bool hungUp = !open && view_->portHungUp();
    // Open or hung up: the settings the port was opened with; closed: those the next Open takes.
    const SerialSettings& s = open || hungUp ? ctx_.PortSettingsCopy : ctx_.serialSettings;
    const QString state = open ? tr("open") : hungUp ? tr("hung up") : tr("closed");
    portPane_->setText(tr("%1  %2  %3")
                           .arg(QString::fromStdString(CSerialPort::resolvePortPath(s.PortName)),
                                QString::fromStdString(lineSettingsText(s)), state));
    portPane_->setToolTip(portPane_->text());
    // The simulated devices are there only while their port is the one chosen.
    if (simulatedPane_)
        simulatedPane_->setVisible(
            QString::fromStdString(CSerialPort::resolvePortPath(s.PortName)) == simulatedPath_);
}

void CMainFrame::showSearchProgress(const QString& text, int done, int total) {
    searchProgress_->setFormat(text);
    searchProgress_->setRange(0, std::max(total, 1));
    searchProgress_->setValue(std::clamp(done, 0, std::max(total, 1)));
    searchProgress_->setAccessibleDescription(text);
    searchProgress_->setVisible(!text.isEmpty());
}

// Stays until the next status line replaces it: the port's last word is its state.
void CMainFrame::showStatus(const QString& text) {
    statusLine_->setFullText(text.isEmpty() ? tr("Ready") : text);
}

BusMonitorWindow* CMainFrame::showBusMonitor() {
    if (!busMonitor_)
        busMonitor_ = new BusMonitorWindow(ctx_, this);
    busMonitor_->show();
    busMonitor_->raise();
    busMonitor_->activateWindow();
    return busMonitor_;
}
