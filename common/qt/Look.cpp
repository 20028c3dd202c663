#include "common/qt/Look.h"

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QStyleFactory>
#include <QWidget>

namespace {

// A faint woven texture: a flat base with a light diagonal thread, small enough to tile.
QPixmap texture(const QColor& base, const QColor& thread) {
    QPixmap pm(16, 16);
    pm.fill(base);
    QPainter p(&pm);
    p.setPen(thread);
    for (int i = 0; i < 16; ++i) {
        p.drawPoint(i, i);
        p.drawPoint((i + 8) % 16, i);
    }
    return pm;
}

const QColor kPageBase(0xea, 0xef, 0xf3);
const QColor kDialogBase(0xe4, 0xeb, 0xf0);

void fill(QWidget* w, const QColor& base) {
    QPalette pal = w->palette();
    pal.setBrush(QPalette::Window, QBrush(texture(base, base.darker(104))));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

}  // namespace

namespace Look {

void apply(QApplication& app) {
    if (QStyle* fusion = QStyleFactory::create("Fusion"))
        app.setStyle(fusion);
    QPalette pal = app.palette();
    pal.setColor(QPalette::Window, kPageBase);
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Button, QColor(0xdc, 0xe4, 0xeb));
    pal.setColor(QPalette::Highlight, QColor(0x3a, 0x6e, 0x96));
    app.setPalette(pal);
    // Latin texts in the usual face; every Chinese text falls back to a CJK face.
    QFont font = app.font();
    font.setFamilies({"DejaVu Sans", "WenQuanYi Micro Hei", "Noto Sans CJK SC"});
    app.setFont(font);
    // Labels keep Qt's default of painting no background, so the texture shows through them.
}

void paintPageBackground(QWidget* w) {
    fill(w, kPageBase);
}

void paintDialogBackground(QWidget* w) {
    fill(w, kDialogBase);
}

}  // namespace Look
