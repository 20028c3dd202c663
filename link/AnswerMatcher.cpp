#include "link/AnswerMatcher.h"

#include "link/ModbusCrc16.h"

AnswerMatcher::AnswerMatcher(std::uint8_t address, std::uint8_t function, std::size_t length)
    : address_(address), function_(function), length_(length) {}

bool AnswerMatcher::feed(const std::vector<std::uint8_t>& rx) {
    if (found_)
        return true;
    const auto refusal = static_cast<std::uint8_t>(function_ | 0x80);
    for (; scanned_ + 1 < rx.size(); ++scanned_) {
        if (rx[scanned_] != address_)
            continue;
        const std::uint8_t f = rx[scanned_ + 1];
        if (f == function_ && !first_)
            first_ = scanned_;
        if (f == function_ || f == refusal)
            pending_.push_back(scanned_);
    }
    // In ascending order, so the earliest complete frame wins.
    for (auto it = pending_.begin(); it != pending_.end();) {
        const std::size_t at = *it;
        const bool refused = rx[at + 1] != function_;
        const std::size_t need = refused ? kRefusalLength : length_;
        if (rx.size() - at < need) {
            ++it;
            continue;
        }
        ++crcChecks_;
        if (need >= 3 && crcMatches(&rx[at], need)) {
            found_ = true;
            refused_ = refused;
            start_ = at;
            return true;
        }
        it = pending_.erase(it);
    }
    return false;
}
