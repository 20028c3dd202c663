#pragma once
// Operator messages as message boxes. Safe from any thread: a worker's call is carried to the
// window's thread and the worker waits there until the operator has pressed OK.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "link/OperatorMessages.h"

class QtOperatorMessages : public QObject, public OperatorMessages {
    Q_OBJECT
public:
    explicit QtOperatorMessages(QObject* parent = nullptr);
    void setWindow(QWidget* window) { window_ = window; }
    // Unattended runs (the screenshot tour): messages go to standard error and nobody waits.
    void setAutoAcknowledge(bool on) { autoAcknowledge_ = on; }

    void show(std::string_view text, MessageIcon icon = MessageIcon::None) override;
    void showWithDetail(std::string_view text, MessageIcon icon, std::string_view detail) override;
    void status(std::string_view text) override;

signals:
    void statusChanged(const QString& text);

private:
    void display(const QString& text, MessageIcon icon, const QString& detail);
    QPointer<QWidget> window_;
    bool autoAcknowledge_ = false;
};
