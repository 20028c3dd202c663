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
