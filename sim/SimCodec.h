#pragma once
// The simulator's own frame check and float layout, written apart from the master's (link/):
// were the two to share one codec, a fault in it would pass every exchange with the simulator
// and first show on a real device.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace simcodec {

// CRC-16/Modbus worked out bit by bit: the CRC register, whose low byte travels first.
std::uint16_t crc16(const std::uint8_t* data, std::size_t length);
void appendCrc(std::vector<std::uint8_t>& frame);
// True when a frame of at least three bytes ends in the CRC of what precedes it.
bool crcMatches(const std::uint8_t* frame, std::size_t length);

// A 32-bit float as the device keeps it in two registers: the first holds the low half of its bit
// pattern, the second the high half. Any pattern is kept as it is, NaNs included.
float floatFromRegisters(std::uint16_t first, std::uint16_t second);
std::array<std::uint16_t, 2> registersFromFloat(float value);

}  // namespace simcodec
