#pragma once
// The main window: menu bar, status bar and the view with its sheet.
//
// Menu items take their enabled state and check marks from the context's flags each time a
// menu opens and whenever the view reports a change. Ctrl+P and Ctrl+D, shown in two item texts,
// run those imports while their items are offered.

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <utility>
#include <vector>

#include "state/AppContext.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QWidget;
class StatusLine;
class CKorvelantisView;
class BusMonitorWindow;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(AppContext& ctx, QWidget* parent = nullptr);

    CKorvelantisView* view() const { return view_; }
    // The menu change after a successful login: the curve menu and "Import data" go, the
    // import of basic parameters comes to the top of "File(&F)".
    void ApplyEnterpriseMenu();
    void updateCommandUI();
    // Shows in the status bar that the bus is simulated, while its port is the one chosen, with
    // the pressure its devices measure (handed to `applyPressure` as it changes).
    void showSimulatedBus(const QString& portPath, const QString& devices,
                          std::function<void(double)> applyPressure = {});
    void showStatus(const QString& text);
    // The port pane: path, line settings and state ("open", "closed", "hung up").
    void updatePortPane();
    // The ordinary search's progress beside the status line; hidden for an empty text.
    void showSearchProgress(const QString& text, int done, int total);
    // "Bus monitor(&M)...": the one monitor window, made at its first use and kept (with its
    // frames) when closed.
    BusMonitorWindow* showBusMonitor();

    // The time divisions (minutes) and output indices of the curve menu, in menu order.
    static const std::vector<std::pair<int, const char*>>& timeDivisions();
    static const std::vector<std::pair<int, const char*>>& outputIndices();

private:
    QAction* addCommand(QMenu* menu, const QString& text, const QString& objectName,
                        void (CMainFrame::*slot)() = nullptr);
    void buildMenus();
    void buildStatusBar();
    void refreshLockPanes();

    AppContext& ctx_;
    CKorvelantisView* view_;
    QMenu* fileMenu_ = nullptr;
    QMenu* imageMenu_ = nullptr;
    QAction* importBasicParams_ = nullptr;
    QAction* importData_ = nullptr;
    QAction* openPort_ = nullptr;
    QAction* closePort_ = nullptr;
    BusMonitorWindow* busMonitor_ = nullptr;
    QAction* login_ = nullptr;
    QAction* loadTemperaturePreset_ = nullptr;
    QAction* loadLevelPreset_ = nullptr;
    std::vector<std::pair<int, QAction*>> divisionActions_;
    std::vector<std::pair<int, QAction*>> indexActions_;
    StatusLine* statusLine_ = nullptr;
    QWidget* simulatedPane_ = nullptr;
    QString simulatedPath_;
    QLabel* portPane_ = nullptr;
    QProgressBar* searchProgress_ = nullptr;
    QLabel* capsPane_ = nullptr;
    QLabel* numPane_ = nullptr;
    QLabel* scrollPane_ = nullptr;
    QTimer lockTimer_;
};
