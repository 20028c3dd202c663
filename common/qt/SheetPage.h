#pragma once
// A page of the property sheet. The sheet calls onSetActive() when the page comes to the front
// and onKillActive() before it leaves; a page that returns false stays in front.

#include <QWidget>

class SheetPage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void onSetActive() {}
    virtual bool onKillActive() { return true; }
};
