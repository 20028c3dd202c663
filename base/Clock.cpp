#include "base/Clock.h"

#include <thread>

namespace {

// Short steps: a stop request is seen within 20 ms.
template <class C>
bool sleepInSteps(typename C::time_point t, const std::atomic<int>& stop) {
    while (!stop.load()) {
        const auto now = C::now();
        if (now >= t)
            return true;
        std::this_thread::sleep_for(
            std::min<typename C::duration>(t - now, std::chrono::milliseconds(20)));
    }
    return false;
}

}  // namespace

std::tm Clock::localTime(TimePoint t) {
    const std::time_t tt = std::chrono::system_clock::to_time_t(t);
    std::tm out{};
    localtime_r(&tt, &out);
    return out;
}

Clock::SteadyPoint Clock::steadyNow() const {
    return SteadyPoint(std::chrono::duration_cast<SteadyPoint::duration>(now().time_since_epoch()));
}

bool Clock::sleepUntilSteady(SteadyPoint t, const std::atomic<int>& stop) {
    return sleepUntil(later(now(), t - steadyNow()), stop);
}

bool SystemClock::sleepUntil(TimePoint t, const std::atomic<int>& stop) {
    return sleepInSteps<std::chrono::system_clock>(t, stop);
}

bool SystemClock::sleepUntilSteady(SteadyPoint t, const std::atomic<int>& stop) {
    return sleepInSteps<std::chrono::steady_clock>(t, stop);
}

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

Clock::TimePoint makeLocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}
