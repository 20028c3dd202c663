#include "link/BlockRead.h"

BlockRead readParameterBlock(Bus& bus, std::uint8_t address) {
    BlockRead read{
        bus.readInputRegisters(address, reg::kBlockFirst, reg::kBlockCount, Timing::kSearchWaitMs),
        std::nullopt};
    const ExchangeResult& r = read.result;
    if (r.answered() && r.registers().at(0) != 0)
        read.block = reg::ParameterBlock::fromAnswer(r.answer);
    return read;
}
