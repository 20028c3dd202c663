#include "sim/SimCodec.h"

#include <bit>

namespace simcodec {

std::uint16_t crc16(const std::uint8_t* data, std::size_t length) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

void appendCrc(std::vector<std::uint8_t>& frame) {
    const std::uint16_t crc = crc16(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool crcMatches(const std::uint8_t* frame, std::size_t length) {
    if (length < 3)
        return false;
    const std::uint16_t carried =
        static_cast<std::uint16_t>(frame[length - 2] | frame[length - 1] << 8);
    return crc16(frame, length - 2) == carried;
}

float floatFromRegisters(std::uint16_t first, std::uint16_t second) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(second) << 16 | first);
}

std::array<std::uint16_t, 2> registersFromFloat(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return {static_cast<std::uint16_t>(bits & 0xFFFF), static_cast<std::uint16_t>(bits >> 16)};
}

}  // namespace simcodec
