#pragma once
// The screenshot tour: every page and dialog, before and after the enterprise login, one PNG
// each in `dir`. Returns 0 when every file was written.

#include <QString>
#include <functional>

class CMainFrame;
class QWidget;
class SimBus;

// Called with each window of the tour as it is shot (tests read its texts).
using TourVisitor = std::function<void(QWidget* shown, const QString& name)>;

// With the demo's simulated bus the tour also calibrates it (five points, applied through the
// status bar's pressure box) and shows the bus monitor with that traffic.
int takeScreenshots(CMainFrame& frame, const QString& dir, const TourVisitor& visit = {},
                    SimBus* sim = nullptr);
