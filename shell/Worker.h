#pragma once
// One short-lived worker thread. Starting a new run joins the previous one first; destruction
// joins, so no worker outlives the object whose state it uses.

#include <atomic>
#include <functional>
#include <thread>

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
