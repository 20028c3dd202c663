#pragma once
// A device's parameter block, read as the command line's commands need it.

#include <cstdint>
#include <optional>
#include <vector>

#include "state/AppContext.h"

namespace cli {

// The device's 43-byte parameter-block answer; nullopt (and the reason told) when it gives none.
std::optional<std::vector<std::uint8_t>> readBlock(AppContext& ctx, std::uint8_t address);

}  // namespace cli
