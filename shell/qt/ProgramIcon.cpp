#include "shell/qt/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QPixmap canvas(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

QPixmap badge(int size, const QColor& colour, bool check) {
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(QPen(colour.darker(130), s / 16));
    p.setBrush(colour.lighter(170));
    p.drawEllipse(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88));
    p.setPen(QPen(colour.darker(120), s / 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (check) {
        QPainterPath path;
        path.moveTo(s * 0.28, s * 0.52);
        path.lineTo(s * 0.44, s * 0.68);
        path.lineTo(s * 0.72, s * 0.34);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    } else {
        p.drawLine(QPointF(s * 0.33, s * 0.33), QPointF(s * 0.67, s * 0.67));
        p.drawLine(QPointF(s * 0.67, s * 0.33), QPointF(s * 0.33, s * 0.67));
    }
    return pm;
}

}  // namespace

namespace ProgramIcon {

// A transmitter dial: a ring with a needle and two switch marks.
QPixmap pixmap(int size) {
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(QPen(QColor(0x2c, 0x4f, 0x6c), s / 12));
    p.setBrush(QColor(0xf4, 0xf7, 0xfa));
    p.drawEllipse(QRectF(s * 0.08, s * 0.08, s * 0.84, s * 0.84));
    p.setPen(QPen(QColor(0xc0, 0x39, 0x2b), s / 14, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.5, s * 0.5), QPointF(s * 0.74, s * 0.3));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x27, 0xae, 0x60));
    p.drawEllipse(QRectF(s * 0.24, s * 0.62, s * 0.14, s * 0.14));
    p.drawEllipse(QRectF(s * 0.62, s * 0.62, s * 0.14, s * 0.14));
    return pm;
}

QIcon icon() {
    QIcon i;
    for (int size : {16, 32, 48, 64}) i.addPixmap(pixmap(size));
    return i;
}

QIcon confirmImage() {
    return QIcon(badge(48, QColor(0x27, 0x8a, 0x4a), true));
}

QIcon cancelImage() {
    return QIcon(badge(48, QColor(0xb0, 0x3a, 0x2e), false));
}

}  // namespace ProgramIcon
