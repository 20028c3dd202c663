#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QThread>
#include <atomic>
#include <thread>

#include "ShellFixture.h"
#include "shell/qt/QtOperatorMessages.h"

TEST(QtOperatorMessages, AWorkersMessageIsShownByTheWindowAndTheWorkerWaitsForOk) {
    QtOperatorMessages messages;
    std::atomic<int> returned{0};
    QString shownText;
    bool workerWaitedForOk = false;
    bool shownOnWindowThread = false;

    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        timer->stop();
        shownText = box->text();
        shownOnWindowThread = box->thread() == QApplication::instance()->thread();
        // Give the worker a chance to run on if it were not waiting.
        QThread::msleep(30);
        workerWaitedForOk = returned.load() == 0;
        box->button(QMessageBox::Ok)->click();
    });
    timer->start();

    std::thread worker([&] {
        messages.show("Search failed!");
        returned = 1;
    });
    EXPECT_TRUE(waitFor([&] { return returned.load() != 0; }, 5000));
    worker.join();
    delete timer;
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
