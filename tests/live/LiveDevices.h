#pragma once
// Simulated devices set up for watching: a point position and a unit each, and register 23
// counting its reads, so the n-th round reads n.

#include <cstdint>

#include "link/RegisterMap.h"
#include "tests/support/TestBus.h"

inline void watchedDevice(TestBus& bus, int address, int dotCode, int unitCode) {
    bus.sim.setReg(address, reg::DotPos, static_cast<std::uint16_t>(dotCode));
    bus.sim.setReg(address, reg::SignalUnit, static_cast<std::uint16_t>(unitCode));
    bus.sim.setCountingReads(address, true);
}
