#include "tests/support/FakeClock.h"

#include <thread>

Clock::TimePoint FakeClock::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

Clock::SteadyPoint FakeClock::steadyNow() const {
    std::lock_guard lock(mutex_);
    return steady_;
}

bool FakeClock::sleepUntil(TimePoint t, const std::atomic<int>& stop) {
    ++sleeps_;
    std::this_thread::yield();
    if (stop.load())
        return false;
    std::lock_guard lock(mutex_);
    if (t > now_) {
        steady_ = later(steady_, t - now_);
        now_ = t;
    }
    return true;
}

bool FakeClock::sleepUntilSteady(SteadyPoint t, const std::atomic<int>& stop) {
    ++sleeps_;
    std::this_thread::yield();
    if (stop.load())
        return false;
    std::lock_guard lock(mutex_);
    if (t > steady_) {
        now_ = later(now_, t - steady_);
        steady_ = t;
    }
    return true;
}

void FakeClock::set(TimePoint t) {
    std::lock_guard lock(mutex_);
    now_ = t;
}

void FakeClock::stepWall(std::chrono::system_clock::duration d) {
    std::lock_guard lock(mutex_);
    now_ += d;
}

void FakeClock::advance(std::chrono::system_clock::duration d) {
    std::lock_guard lock(mutex_);
    now_ += d;
    steady_ = later(steady_, d);
}
