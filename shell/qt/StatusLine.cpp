#include "shell/qt/StatusLine.h"

#include <QResizeEvent>

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

void StatusLine::setFullText(const QString& text) {
    full_ = text;
    elide();
}

QSize StatusLine::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

void StatusLine::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void StatusLine::showEvent(QShowEvent* event) {
    QLabel::showEvent(event);
    elide();
}

void StatusLine::elide() {
    const int room = contentsRect().width();
    if (!isVisible()) {  // not laid out yet: the room is not known
        setText(full_);
        setToolTip({});
        setAccessibleDescription(full_);
        return;
    }
    const QString shown = fontMetrics().horizontalAdvance(full_) <= room
                              ? full_
                              : fontMetrics().elidedText(full_, Qt::ElideRight, room);
    setText(shown);
    setToolTip(shown == full_ ? QString() : full_);
    setAccessibleDescription(full_);
}
