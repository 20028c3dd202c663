#include "common/Clock.h"

#include <thread>

std::tm Clock::localTime(TimePoint t) {
    const std::time_t tt = std::chrono::system_clock::to_time_t(t);
    std::tm out{};
    localtime_r(&tt, &out);
    return out;
}

bool SystemClock::sleepUntil(TimePoint t, const std::atomic<int>& stop) {
    // Short steps: a stop request is seen within 20 ms.
    while (!stop.load()) {
        const auto now = std::chrono::system_clock::now();
        if (now >= t)
            return true;
        std::this_thread::sleep_for(
            std::min<std::chrono::system_clock::duration>(t - now, std::chrono::milliseconds(20)));
    }
    return false;
}

Clock::TimePoint FakeClock::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

bool FakeClock::sleepUntil(TimePoint t, const std::atomic<int>& stop) {
    ++sleeps_;
    std::this_thread::yield();
    if (stop.load())
        return false;
    std::lock_guard lock(mutex_);
    if (t > now_)
        now_ = t;
    return true;
}

void FakeClock::set(TimePoint t) {
    std::lock_guard lock(mutex_);
    now_ = t;
}

void FakeClock::advance(std::chrono::system_clock::duration d) {
    std::lock_guard lock(mutex_);
    now_ += d;
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
