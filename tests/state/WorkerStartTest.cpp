#include <gtest/gtest.h>

#include <atomic>

#include "link/OperatorMessages.h"
#include "state/Worker.h"
#include "tests/support/RecordingMessages.h"

TEST(WorkerStart, AStartedWorkerRunsAndShowsNothing) {
    RecordingMessages messages;
    Worker worker;
    std::atomic<int> done{0};
    ASSERT_TRUE(startWorkerOrReport(
        worker, [&] { done = 1; }, messages, WorkerStartFailure::kSearch));
    worker.join();
    EXPECT_EQ(done.load(), 1);
    EXPECT_TRUE(messages.texts().empty());
}

TEST(WorkerStart, AWorkerThatCannotStartShowsItsMessageAndRunsNothing) {
    RecordingMessages messages;
    Worker worker;
    std::atomic<int> ran{0};
    Worker::failNextStartForTest();
    EXPECT_FALSE(startWorkerOrReport(
        worker, [&] { ran = 1; }, messages, WorkerStartFailure::kSearch));
    worker.join();
    EXPECT_EQ(ran.load(), 0);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Thread failed to start search！"});
}

TEST(WorkerStart, FailureTextsOfEveryOperation) {
    EXPECT_STREQ(WorkerStartFailure::kBatchDownload, "批量下载线程启动失败！");
    EXPECT_EQ(WorkerStartFailure::acquisition(1).text(), "采集线程1启动失败！");
    EXPECT_EQ(WorkerStartFailure::acquisition(5).text(), "采集线程5启动失败！");
}

// A start that failed cleared the done and failed flags it had set up for the run: the flags
// keep their old values instead.
TEST(WorkerStart, AFailedStartGivesTheFlagsBackTheirValues) {
    RecordingMessages messages;
    Worker worker;
    std::atomic<int> done{1}, failed{1}, other{1};
    const KeptFlags kept{&done, &failed};
    done = 0;
    failed = 0;
    other = 0;
    Worker::failNextStartForTest();
    EXPECT_FALSE(startWorkerOrReport(
        worker, [] {}, messages, WorkerStartFailure::kBatchDownload, &kept));
    EXPECT_EQ(done.load(), 1);
    EXPECT_EQ(failed.load(), 1);
    EXPECT_EQ(other.load(), 0) << "only the kept flags go back";

    // A run that starts keeps what it set up.
    done = 0;
    const KeptFlags again{&done};
    ASSERT_TRUE(startWorkerOrReport(
        worker, [] {}, messages, WorkerStartFailure::kBatchDownload, &again));
    worker.join();
    EXPECT_EQ(done.load(), 0);
}
