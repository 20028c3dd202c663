#pragma once
// The addresses on the bus: devices answer at 1..60, and a write to 127 reaches them all
// unanswered. Every limit on an address is taken from here.

#include <cstdint>

namespace device_address {

inline constexpr int kFirst = 1;
inline constexpr int kLast = 60;
inline constexpr std::uint8_t kBroadcast = 127;

constexpr bool isDevice(long long a) {
    return a >= kFirst && a <= kLast;
}

}  // namespace device_address
