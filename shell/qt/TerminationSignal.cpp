#include "shell/qt/TerminationSignal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>

namespace {

int g_pipe[2] = {-1, -1};

// Only what is safe in a signal handler: one byte into the pipe the window's thread watches.
void onSigterm(int) {
    const char one = 1;
    [[maybe_unused]] const ssize_t w = ::write(g_pipe[1], &one, 1);
}

}  // namespace

TerminationSignal::TerminationSignal(QObject* parent) : QObject(parent) {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char buf[16];
        while (::read(g_pipe[0], buf, sizeof buf) > 0) {
        }
        emit terminated();
    });
    struct sigaction sa {};
    sa.sa_handler = onSigterm;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, nullptr);
}

TerminationSignal::~TerminationSignal() {
    ::signal(SIGTERM, SIG_DFL);
    for (int& fd : g_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void TerminationSignal::closeOnTermination(QWidget* window) {
    const QPointer<QWidget> target(window);
    connect(this, &TerminationSignal::terminated, this, [target] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();  // a wait dialog cancels its work and closes once it has ended
        if (target)
            target->close();
    });
}
