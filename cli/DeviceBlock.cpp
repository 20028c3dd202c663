#include "cli/DeviceBlock.h"

#include "config/DeviceSearch.h"
#include "link/LineFaults.h"
#include "link/RegisterMap.h"

namespace cli {

std::optional<std::vector<std::uint8_t>> readBlock(AppContext& ctx, std::uint8_t address) {
    const ExchangeResult r = ctx.bus.readInputRegisters(address, reg::kBlockFirst, reg::kBlockCount,
                                                        Timing::kSearchWaitMs);
    if (!r.ioOk)
        return std::nullopt;
    if (!r.complete() || !r.crcOk() || (r.answer[3] == 0 && r.answer[4] == 0)) {
        ctx.messages.show(r.refused ? refusalText(address, r.exceptionCode)
                                    : std::string(config::kNoOnlineDevice));
        return std::nullopt;
    }
    return r.answer;
}

}  // namespace cli
