// SIGTERM closes the window as its close box does (it used to end the program wherever it was,
// between two writes of a record file), cancelling a wait dialog first.
#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMainWindow>

#include "shell/qt/TerminationSignal.h"

TEST(TerminationSignal, SigtermCancelsTheWaitDialogAndClosesTheWindow) {
    QMainWindow window;
    window.show();
    QDialog wait(&window);
    bool cancelled = false;
    QObject::connect(&wait, &QDialog::rejected, [&] { cancelled = true; });
    wait.open();
    ASSERT_TRUE(wait.isVisible());
    {
        TerminationSignal termination;
        termination.closeOnTermination(&window);
        ASSERT_EQ(::raise(SIGTERM), 0);  // the program goes on: the signal is only noted
        QElapsedTimer t;
        t.start();
        while (window.isVisible() && t.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(window.isVisible());
    // The default comes back with the watcher gone.
    struct sigaction now {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &now), 0);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}
