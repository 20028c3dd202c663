#include "shell/qt/WindowPlacement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

QRect startupFrameRect(const QRect& available, const QSize& inner, const QMargins& frame) {
    const int width = std::min(inner.width() + frame.left() + frame.right(), available.width());
    const int height = std::min(inner.height() + frame.top() + frame.bottom(), available.height());
    const QPoint topLeft(available.x() + (available.width() - width) / 2,
                         available.y() + (available.height() - height) / 2);
    return {topLeft, QSize(width, height)};
}

void placeOnScreen(QWidget& window, const QSize& inner, QScreen* screen) {
    if (!screen)
        screen = window.screen();
    if (!screen)
        return;
    const QRect frameNow = window.frameGeometry();
    const QRect innerNow = window.geometry();
    QMargins frame(innerNow.left() - frameNow.left(), innerNow.top() - frameNow.top(),
                   frameNow.right() - innerNow.right(), frameNow.bottom() - innerNow.bottom());
    if (frame.isNull())
        frame = kAssumedFrame;
    const QRect outer = startupFrameRect(screen->availableGeometry(), inner, frame);
    const QSize innerSize(outer.width() - frame.left() - frame.right(),
                          outer.height() - frame.top() - frame.bottom());
    // A window smaller than the screen allows must not be held larger by its minimum size.
    window.setMinimumSize(window.minimumSize().boundedTo(innerSize));
    window.resize(innerSize);
    // A window's position is its frame's.
    window.move(outer.topLeft());
}
