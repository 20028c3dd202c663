#pragma once
// Where the main window opens: at its classic inner size where the screen allows it, smaller
// where it does not, and always with its frame (the title bar too) inside the screen's available
// area (the screen less its panels), centred there.

#include <QMargins>
#include <QRect>
#include <QSize>

class QScreen;
class QWidget;

// The frame's rectangle for a window of inner size `inner` whose frame adds `frame` around it.
QRect startupFrameRect(const QRect& available, const QSize& inner, const QMargins& frame);

// The classic window's inner size.
inline constexpr QSize kClassicWindowSize{1024, 740};

// The frame a window manager adds while the real one is not known yet (before the first show).
inline constexpr QMargins kAssumedFrame{4, 32, 4, 4};

// Resizes and moves `window` onto `screen` (its own screen when null) by startupFrameRect, with
// its real frame once it has one.
void placeOnScreen(QWidget& window, const QSize& inner, QScreen* screen = nullptr);

// A window manager makes the frame known some time after the window shows. For `forMs` after
// this call, the first move or resize that finds the frame reaching beyond the available area
// places `window` again, with that frame; after that, or when the time is up, it watches no
// more, so it never fights the operator's own moves.
void placeAgainWhenFramed(QWidget& window, const QSize& inner, int forMs = 3000);
