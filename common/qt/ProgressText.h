#pragma once
// A progress line as the window shows it: each part's template translated (context "Progress")
// and then filled in with its arguments.

#include <QString>

#include "base/Progress.h"

QString progressText(const ProgressSnapshot& snapshot);
