#include "live/LatestValues.h"

namespace live {

bool LatestValues::take(const Round& round, const std::vector<DeviceState>& devices) {
    std::lock_guard lock(mutex_);
    devices_ = devices;
    rounds_ = round.number;
    return true;
}

std::vector<DeviceState> LatestValues::devices() const {
    std::lock_guard lock(mutex_);
    return devices_;
}

long long LatestValues::rounds() const {
    std::lock_guard lock(mutex_);
    return rounds_;
}

std::optional<DeviceState> LatestValues::of(int address) const {
    std::lock_guard lock(mutex_);
    for (const DeviceState& d : devices_)
        if (d.address == address)
            return d;
    return std::nullopt;
}

void LatestValues::clear() {
    std::lock_guard lock(mutex_);
    devices_.clear();
    rounds_ = 0;
}

}  // namespace live
