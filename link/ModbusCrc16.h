#pragma once
// Modbus RTU CRC-16 (reflected polynomial 0xA001, initial 0xFFFF, no final inversion).
//
// Byte order contract: ModbusCrc16 returns first-accumulator * 256 + second-accumulator, and a
// frame carries the high byte of that return value first. That is the standard wire order (the
// CRC register's low byte first): 01 04 00 03 00 13 travels as 01 04 00 03 00 13 41 C7.

#include <cstddef>
#include <cstdint>
#include <vector>

// A length of 0 returns 0xFFFF without reading data.
std::uint16_t ModbusCrc16(const std::uint8_t* data, std::size_t length);

// Appends the two CRC bytes in wire order.
void appendCrc(std::vector<std::uint8_t>& frame);

// True when the last two of `length` bytes are the CRC of the ones before them.
bool crcMatches(const std::uint8_t* frame, std::size_t length);
