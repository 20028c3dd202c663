#pragma once
// One short-lived worker thread. Starting a new run joins the previous one first; destruction
// joins, so no worker outlives the object whose state it uses.

#include <atomic>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "base/Message.h"
#include "base/Texts.h"

class OperatorMessages;

class Worker {
public:
    Worker() = default;
    ~Worker() { join(); }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // false when the thread could not be started (the caller shows its message).
    bool start(std::function<void()> work);
    bool running() const { return running_.load(); }
    void join();

    // Tests make the next start fail, as a system out of threads would.
    static void failNextStartForTest() { failNextStart_ = true; }

private:
    std::thread thread_;
    std::atomic<bool> running_{false};
    static inline std::atomic<bool> failNextStart_{false};
};

// The values an operation's done and failed flags had before it cleared them for its run, so
// a run that never starts can give them back. Take it before clearing; the flags must outlive it.
class KeptFlags {
public:
    KeptFlags(std::initializer_list<std::atomic<int>*> flags);
    void restore() const;

private:
    std::vector<std::pair<std::atomic<int>*, int>> kept_;
};

// For a page that handles a worker that cannot start itself: nothing is shown.
inline constexpr std::nullopt_t kStartFailureHandledByCaller = std::nullopt;

// The start step every long operation shares: start `work` on `worker`; when the thread cannot
// be started show `startFailure` (unless the caller handles it), put the flags of `kept` back and
// return false, so the caller opens no wait dialog and the flags keep their values.
bool startWorkerOrReport(Worker& worker, std::function<void()> work, OperatorMessages& messages,
                         const std::optional<Message>& startFailure,
                         const KeptFlags* kept = nullptr);

// The operator's messages when a worker cannot be started.
namespace WorkerStartFailure {
inline constexpr const char* kSearch = KORV_TR_NOOP("Core", "Thread failed to start search！");
inline constexpr const char* kBatchDownload = KORV_TR_NOOP("Core", "批量下载线程启动失败！");
// "采集线程1启动失败！" .. "采集线程5启动失败！" for calibration point 1..5.
Message acquisition(int point);
}  // namespace WorkerStartFailure
