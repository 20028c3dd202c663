#pragma once
// Wall-clock time and waiting, behind an interface so that tests run an hour of data collection
// in milliseconds on a fake clock.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>

class Clock {
public:
    using TimePoint = std::chrono::system_clock::time_point;
    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    // Waits until `t` or until `stop` becomes non-zero; false when stopped.
    virtual bool sleepUntil(TimePoint t, const std::atomic<int>& stop) = 0;

    // Local calendar time of a time point.
    static std::tm localTime(TimePoint t);
};

class SystemClock : public Clock {
public:
    TimePoint now() const override { return std::chrono::system_clock::now(); }
    bool sleepUntil(TimePoint t, const std::atomic<int>& stop) override;
};

// Time moves only when a sleeper asks to (it jumps to the wake-up time at once) or the test
// moves it.
class FakeClock : public Clock {
public:
    explicit FakeClock(TimePoint start) : now_(start) {}
    TimePoint now() const override;
    bool sleepUntil(TimePoint t, const std::atomic<int>& stop) override;
    void set(TimePoint t);
    void advance(std::chrono::system_clock::duration d);
    // How many times a sleeper has waited (lets tests step through ticks).
    int sleeps() const { return sleeps_; }

private:
    mutable std::mutex mutex_;
    TimePoint now_;
    std::atomic<int> sleeps_{0};
};

// Local time from calendar fields (month 1..12), for tests and the reservation start.
Clock::TimePoint makeLocalTime(int year, int month, int day, int hour, int minute, int second = 0);
