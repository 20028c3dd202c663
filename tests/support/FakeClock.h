#pragma once
// A clock for tests and benchmarks; the product has none of it.

#include <atomic>
#include <chrono>
#include <mutex>

#include "base/Clock.h"

// Time moves only when a sleeper asks to (it jumps to the wake-up time at once) or the test
// moves it. A sleeper moves both clocks; stepWall() and set() move the wall clock alone, as
// setting the system's time does.
class FakeClock : public Clock {
public:
    explicit FakeClock(TimePoint start) : now_(start) {}
    TimePoint now() const override;
    bool sleepUntil(TimePoint t, const std::atomic<int>& stop) override;
    SteadyPoint steadyNow() const override;
    bool sleepUntilSteady(SteadyPoint t, const std::atomic<int>& stop) override;
    void set(TimePoint t);
    void stepWall(std::chrono::system_clock::duration d);
    // Both clocks, as time passing.
    void advance(std::chrono::system_clock::duration d);
    // How many times a sleeper has waited (lets tests step through ticks).
    int sleeps() const { return sleeps_; }

private:
    mutable std::mutex mutex_;
    TimePoint now_;
    SteadyPoint steady_{};
    std::atomic<int> sleeps_{0};
};
