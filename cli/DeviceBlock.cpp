#include "cli/DeviceBlock.h"

#include "config/DeviceSearch.h"
#include "link/BlockRead.h"
#include "link/LineFaults.h"

namespace cli {

std::optional<std::vector<std::uint8_t>> readBlock(AppContext& ctx, std::uint8_t address) {
    BlockRead read = readParameterBlock(ctx.bus, address);
    const ExchangeResult& r = read.result;
    if (r.lineFailed())
        return std::nullopt;
    if (!read.block) {
        ctx.messages.show(r.refused ? refusalText(address, r.exceptionCode)
                                    : std::string(config::kNoOnlineDevice));
        return std::nullopt;
    }
    return std::move(read.result.answer);
}

}  // namespace cli
