#include "base/Progress.h"

#include "base/Texts.h"

std::string ProgressSnapshot::text() const {
    std::string out;
    for (const ProgressPart& p : parts) out += fillText(p.format, p.args);
    return out;
}

void Progress::setParts(std::vector<ProgressPart> parts, int done, int total, int secondsLeft) {
    std::lock_guard lock(mutex_);
    now_ = {std::move(parts), done, total, secondsLeft};
    until_ = {};
}

void Progress::set(ProgressPart part, int done, int total, int secondsLeft) {
    setParts(std::vector<ProgressPart>{std::move(part)}, done, total, secondsLeft);
}

void Progress::setUntil(ProgressPart part, Until until, int done, int total) {
    std::vector<ProgressPart> parts{std::move(part)};
    std::lock_guard lock(mutex_);
    now_ = {std::move(parts), done, total, -1};
    until_ = until;
}

void Progress::clear() {
    setParts({});
}

ProgressSnapshot Progress::snapshot() const {
    std::lock_guard lock(mutex_);
    ProgressSnapshot s = now_;
    if (until_ != Until{}) {
        const auto left = until_ - std::chrono::steady_clock::now();
        s.secondsLeft =
            left.count() <= 0
                ? 0
                : static_cast<int>(std::chrono::ceil<std::chrono::seconds>(left).count());
    }
    return s;
}

int estimateSecondsLeft(std::chrono::steady_clock::duration elapsed, int done, int total) {
    if (done <= 0 || total < done)
        return -1;
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
    const long long left = us / done * (total - done);
    return static_cast<int>((left + 999999) / 1000000);
}
