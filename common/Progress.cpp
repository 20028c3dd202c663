#include "common/Progress.h"

void Progress::set(std::string text, int done, int total, int secondsLeft) {
    std::lock_guard lock(mutex_);
    now_ = {std::move(text), done, total, secondsLeft};
}

void Progress::clear() {
    set({});
}

ProgressSnapshot Progress::snapshot() const {
    std::lock_guard lock(mutex_);
    return now_;
}
