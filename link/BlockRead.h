#pragma once
// One read of a device's parameter block (registers 3..21), as every reader of it judges it.

#include <cstdint>
#include <optional>

#include "link/Bus.h"
#include "link/RegisterMap.h"

struct BlockRead {
    ExchangeResult result;
    // Set when the answer came whole with its CRC and names an address (an all-zero block is
    // a device that is not set up, not an answer).
    std::optional<reg::ParameterBlock> block;
};

BlockRead readParameterBlock(Bus& bus, std::uint8_t address);
