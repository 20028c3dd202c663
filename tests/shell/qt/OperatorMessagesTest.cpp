#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <atomic>
#include <functional>
#include <thread>

#include "ShellFixture.h"
#include "shell/qt/QtOperatorMessages.h"

namespace {

// A worker shows "Search failed!" through `messages`; `onBox` runs on the window's thread once the
// box is up, and must press its OK. Returns when the worker has come back from show().
void workerShowsAMessage(QtOperatorMessages& messages, std::atomic<int>& returned,
                         const std::function<void(QMessageBox*)>& onBox) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        timer->stop();
        onBox(box);
    });
    timer->start();

    std::thread worker([&] {
        messages.show("Search failed!");
        returned = 1;
    });
    EXPECT_TRUE(waitFor([&] { return returned.load() != 0; }, 5000));
    worker.join();
    delete timer;
}

}  // namespace

TEST(QtOperatorMessages, AWorkersMessageIsShownByTheWindowAndTheWorkerWaitsForOk) {
    QtOperatorMessages messages;
    std::atomic<int> returned{0};
    QString shownText;
    bool workerWaitedForOk = false;
    bool shownOnWindowThread = false;

    workerShowsAMessage(messages, returned, [&](QMessageBox* box) {
        shownText = box->text();
        shownOnWindowThread = box->thread() == QApplication::instance()->thread();
        // Give the worker a chance to run on if it were not waiting.
        QThread::msleep(30);
        workerWaitedForOk = returned.load() == 0;
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(shownText, "Search failed!");
    EXPECT_TRUE(shownOnWindowThread);
    EXPECT_TRUE(workerWaitedForOk);
}

TEST(QtOperatorMessages, StatusFromAWorkerReachesTheWindow) {
    QtOperatorMessages messages;
    QString seen;
    QObject::connect(&messages, &QtOperatorMessages::statusChanged,
                     [&](const QString& t) { seen = t; });
    std::thread([&] { messages.status("Port /dev/ttyUSB0 is busy"); }).join();
    EXPECT_TRUE(waitFor([&] { return !seen.isEmpty(); }));
    EXPECT_EQ(seen, "Port /dev/ttyUSB0 is busy");
}

// A worker still waiting for OK when the program quits must not hang the join at exit.
TEST(QtOperatorMessages, ShutdownReleasesAWorkerWaitingForOk) {
    QtOperatorMessages messages;
    std::atomic<int> returned{0};
    bool waitedBeforeShutdown = false;
    bool releasedByShutdown = false;

    workerShowsAMessage(messages, returned, [&](QMessageBox* box) {
        waitedBeforeShutdown = returned.load() == 0;
        messages.shutdown();  // nobody has pressed OK
        for (int i = 0; i < 300 && !returned.load(); ++i) QThread::msleep(5);
        releasedByShutdown = returned.load() == 1;
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_TRUE(waitedBeforeShutdown);
    EXPECT_TRUE(releasedByShutdown);
    // After shutdown a worker's message does not wait at all.
    std::thread([&] { messages.show("Download failed!"); }).join();
}

// A question from a worker: No is the default (Enter sends nothing), Yes only when chosen.
TEST(QtOperatorMessages, AWorkersQuestionDefaultsToNoAndReturnsTheChoice) {
    QtOperatorMessages messages;
    for (const bool pressYes : {false, true}) {
        std::atomic<int> returned{0};
        std::atomic<bool> answer{!pressYes};
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            timer->stop();
            defaultButton = box->standardButton(box->defaultButton());
            box->button(pressYes ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        timer->start();
        std::thread worker([&] {
            answer = messages.ask("More than one device answers: 3, 7. Send anyway?");
            returned = 1;
        });
        EXPECT_TRUE(waitFor([&] { return returned.load() != 0; }, 5000));
        worker.join();
        delete timer;
        EXPECT_EQ(defaultButton, QMessageBox::No);
        EXPECT_EQ(answer.load(), pressYes);
    }
}
