#pragma once
// A text label with its own background and text colours and font, painted opaque.

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

class CColorLabel : public QWidget {
    Q_OBJECT
public:
    explicit CColorLabel(const QString& text = {}, QWidget* parent = nullptr);

    void SetBkColor(const QColor& c) { BkColor = c; }
    void SetTextColor(const QColor& c) { TextColor = c; }
    void SetFont(const QString& face, int pixelHeight);
    void SetText(const QString& text);
    // Horizontal placement of the text (left at creation); it is always centred vertically.
    void setAlignment(Qt::Alignment horizontal) { alignment_ = horizontal; }

    QString text() const { return text_; }
    const QFont& textFont() const { return Font; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor BkColor{205, 216, 228};
    QColor TextColor{0, 0, 0};
    QFont Font;
    QString text_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
};
