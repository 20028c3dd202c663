#pragma once
// SIGTERM (a logout, a shutdown, `kill`) closes the window as its close box does, so a running
// acquisition finishes its record file and the port is closed, instead of the program dying
// between two writes.

#include <QObject>

class QSocketNotifier;
class QWidget;

class TerminationSignal : public QObject {
    Q_OBJECT
public:
    // Takes SIGTERM for the program's lifetime; one instance only, on the window's thread.
    explicit TerminationSignal(QObject* parent = nullptr);
    ~TerminationSignal() override;

    // On SIGTERM: the open modal dialog (a wait dialog) is cancelled as by Escape, then
    // `window` is closed.
    void closeOnTermination(QWidget* window);

signals:
    void terminated();

private:
    QSocketNotifier* notifier_ = nullptr;
};
