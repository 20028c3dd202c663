#pragma once
// The screenshot tour: every page and dialog, before and after the enterprise login, one PNG
// each in `dir`. Returns 0 when every file was written.

#include <QString>

class CMainFrame;

int TakeScreenshots(CMainFrame& frame, const QString& dir);
