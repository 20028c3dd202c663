#include "acquisition/qt/ColorLabel.h"

#include <QPainter>

CColorLabel::CColorLabel(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
    SetFont("Arial", 25);
    setAccessibleName(text);
}

void CColorLabel::SetFont(const QString& face, int pixelHeight) {
    Font = QFont(face);
    Font.setPixelSize(pixelHeight);
}

void CColorLabel::SetText(const QString& text) {
    text_ = text;
    setAccessibleName(text);
    update();
}

void CColorLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), BkColor);
    p.setFont(Font);
    p.setPen(TextColor);
    p.drawText(rect(), alignment_ | Qt::AlignVCenter | Qt::TextSingleLine, text_);
}
