#pragma once
// Wall-clock time and waiting, behind an interface so that tests run an hour of data collection
// in milliseconds on a fake clock (tests/support/FakeClock.h).
//
// Two clocks: the wall clock (now(): what the operator reads, what record lines are stamped
// with) and a steady clock (steadyNow(): what intervals are measured on). Setting the system's
// time, or an NTP step, moves only the wall clock, so schedules kept on the steady clock neither
// stall nor burst.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>

class Clock {
public:
    using TimePoint = std::chrono::system_clock::time_point;
    using SteadyPoint = std::chrono::steady_clock::time_point;
    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    // Waits until the wall clock reads `t` or until `stop` becomes non-zero; false when stopped.
    virtual bool sleepUntil(TimePoint t, const std::atomic<int>& stop) = 0;

    // The steady clock and waiting on it. The defaults serve a clock that has only a wall clock
    // (the two then move together).
    virtual SteadyPoint steadyNow() const;
    virtual bool sleepUntilSteady(SteadyPoint t, const std::atomic<int>& stop);

    // Local calendar time of a time point.
    static std::tm localTime(TimePoint t);
};

class SystemClock : public Clock {
public:
    TimePoint now() const override { return std::chrono::system_clock::now(); }
    bool sleepUntil(TimePoint t, const std::atomic<int>& stop) override;
    SteadyPoint steadyNow() const override { return std::chrono::steady_clock::now(); }
    bool sleepUntilSteady(SteadyPoint t, const std::atomic<int>& stop) override;
};

// t + d for a d >= 0, held at the clock's last representable time: a wait of centuries would
// otherwise wrap round into the past.
template <class TimePointT, class Duration>
TimePointT later(TimePointT t, Duration d) {
    using D = typename TimePointT::duration;
    if (d <= Duration::zero())
        return t;
    using Seconds = std::chrono::duration<double>;
    if (std::chrono::duration_cast<Seconds>(d) >= std::chrono::duration_cast<Seconds>(D::max()))
        return TimePointT::max();
    const D step = std::chrono::duration_cast<D>(d);
    if (t.time_since_epoch() > D::max() - step)
        return TimePointT::max();
    return t + step;
}

// Local time from calendar fields (month 1..12), for tests and the reservation start.
Clock::TimePoint makeLocalTime(int year, int month, int day, int hour, int minute, int second = 0);
