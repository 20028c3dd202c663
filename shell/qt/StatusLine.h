#pragma once
// A one-line label that never widens its window: a text longer than the room it has is cut with
// "..." and the whole text becomes its tool tip.

#include <QLabel>

class StatusLine : public QLabel {
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    const QString& fullText() const { return full_; }
    bool isElided() const { return text() != full_; }

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void elide();

    QString full_;
};
