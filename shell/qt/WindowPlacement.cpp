#include "shell/qt/WindowPlacement.h"

#include <QElapsedTimer>
#include <QEvent>
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

namespace {

class PlaceAgainWhenFramed : public QObject {
public:
    PlaceAgainWhenFramed(QWidget& window, const QSize& inner, int forMs)
        : QObject(&window), window_(window), inner_(inner), forMs_(forMs) {
        clock_.start();
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &window_ ||
            (event->type() != QEvent::Move && event->type() != QEvent::Resize))
            return false;
        if (clock_.elapsed() > forMs_) {
            deleteLater();
            return false;
        }
        QScreen* screen = window_.screen();
        const bool framed = window_.frameGeometry() != window_.geometry();
        if (screen && framed && !screen->availableGeometry().contains(window_.frameGeometry())) {
            window_.removeEventFilter(this);
            placeOnScreen(window_, inner_, screen);
            deleteLater();
        }
        return false;
    }

private:
    QWidget& window_;
    const QSize inner_;
    const int forMs_;
    QElapsedTimer clock_;
};

}  // namespace

void placeAgainWhenFramed(QWidget& window, const QSize& inner, int forMs) {
    new PlaceAgainWhenFramed(window, inner, forMs);
}
