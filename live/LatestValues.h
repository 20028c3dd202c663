#pragma once
// The latest state of every watched device, for readers on other threads (the window's view
// and its indicator tool tips): a sink that copies each round's devices under a lock of its own.

#include <mutex>
#include <optional>
#include <vector>

#include "live/Watch.h"

namespace live {

class LatestValues : public RoundSink {
public:
    bool take(const Round& round, const std::vector<DeviceState>& devices) override;
    std::vector<DeviceState> devices() const;
    long long rounds() const;
    // Nothing when `address` is not watched.
    std::optional<DeviceState> of(int address) const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<DeviceState> devices_;
    long long rounds_ = 0;
};

}  // namespace live
