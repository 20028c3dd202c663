#include "config/Download.h"

#include "link/RegisterMap.h"

namespace config {

const char* const kDownloadSuccess = "Download Success!";
const char* const kDownloadFailed = "Download failed!";
const char* const kNoSearchAppliance = "No search appliance！";

namespace {

void put(std::vector<std::uint8_t>& out, const std::array<std::uint8_t, 2>& b) {
    out.push_back(b[0]);
    out.push_back(b[1]);
}

void putCode(std::vector<std::uint8_t>& out, int code) {
    put(out, reg::splitUnsigned(code));
}

int multiplier(const BasicConfigModel& m) {
    return reg::dotMultiplier(m.list(ListId::PointPosition).text()).value_or(1);
}

}  // namespace

int outputRangeCode(const BasicConfigModel& m) {
    const std::string type = m.list(ListId::OutputType).text();
    if (reg::hasCurrentOutput(type))
        return reg::encodeText(reg::kOutputRanges, m.list(ListId::Current).text());
    if (reg::hasVoltageOutput(type))
        return reg::encodeText(reg::kOutputRanges, m.list(ListId::Voltage).text());
    return 0;
}

std::vector<std::uint8_t> encodeSwitchRegisters(const BasicConfigModel& m) {
    const int s = multiplier(m);
    const PageValues& v = m.values;
    std::vector<std::uint8_t> d;
    putCode(d, reg::encodeText(reg::kSwitchTypes, m.list(ListId::K1Type).text()));
    put(d, reg::splitTwosComplement(reg::encodeRounded(v.k1Action, s)));
    put(d, reg::splitTwosComplement(reg::encodeRounded(v.k1Release, s)));
    put(d, reg::splitUnsigned(reg::encodeDelay(v.k1Delay)));
    putCode(d, reg::encodeText(reg::kSwitchTypes, m.list(ListId::K2Type).text()));
    put(d, reg::splitTwosComplement(reg::encodeRounded(v.k2Action, s)));
    put(d, reg::splitTwosComplement(reg::encodeRounded(v.k2Release, s)));
    put(d, reg::splitUnsigned(reg::encodeDelay(v.k2Delay)));
    putCode(d, outputRangeCode(m));
    put(d, reg::splitTwosComplement(reg::encodeTruncated(v.zoomStart, s)));
    put(d, reg::splitUnsigned(reg::encodeTruncated(v.zoomEnd, s)));
    put(d, reg::splitUnsigned(v.density));
    return d;
}

std::vector<std::uint8_t> encodeBlockRegisters(const BasicConfigModel& m) {
    const int s = multiplier(m);
    std::vector<std::uint8_t> d;
    putCode(d, reg::encodeText(reg::kSignalTypes, m.list(ListId::SignalType).text()));
    putCode(d, reg::encodeText(reg::kSignalUnits, m.list(ListId::SignalUnit).text()));
    put(d, reg::splitTwosComplement(reg::encodeTruncated(m.values.rangeStart, s)));
    put(d, reg::splitUnsigned(reg::encodeTruncated(m.values.rangeEnd, s)));
    putCode(d, reg::encodeText(reg::kOutputTypes, m.list(ListId::OutputType).text()));
    putCode(d, reg::encodeText(reg::kDotPositions, m.list(ListId::PointPosition).text()));
    const auto rest = encodeSwitchRegisters(m);
    d.insert(d.end(), rest.begin(), rest.end());
    return d;
}

std::vector<std::uint8_t> configurationFrame(std::int32_t productCode, int address) {
    const auto pc = reg::splitProductCode(productCode);
    std::vector<std::uint8_t> data(pc.begin(), pc.end());
    data.push_back(0);
    data.push_back(static_cast<std::uint8_t>(address % 256));
    return buildWriteMultiple(Bus::kBroadcast, reg::ProductCodeHigh, data);
}

std::vector<std::uint8_t> singleDownloadFrame(std::uint8_t address, const BasicConfigModel& m) {
    return buildWriteMultiple(address, reg::K1Type, encodeSwitchRegisters(m));
}

std::vector<std::uint8_t> batchDownloadFrame(const BasicConfigModel& m) {
    return buildWriteMultiple(Bus::kBroadcast, reg::SignalType, encodeBlockRegisters(m));
}

DownloadResult downloadToDevice(AppContext& ctx, const std::vector<std::uint8_t>& frame) {
    const ExchangeResult r = ctx.bus.exchange(frame, 8, Timing::kNoWaitMs);
    if (!r.ioOk)
        return DownloadResult::WriteFailed;  // the bus has said why; nothing to wait for
    const bool ok = r.complete() && r.crcOk();
    ctx.bus.pause(Timing::kStoreWaitMs);
    return ok ? DownloadResult::Success : DownloadResult::Failed;
}

DownloadResult downloadToAll(AppContext& ctx, const std::vector<std::uint8_t>& frame) {
    if (!ctx.bus.send(frame))
        return DownloadResult::WriteFailed;
    ctx.bus.pause(Timing::kStoreWaitMs);
    return DownloadResult::Success;
}

std::string downloadMessage(DownloadResult r) {
    switch (r) {
        case DownloadResult::Success:
            return kDownloadSuccess;
        case DownloadResult::Failed:
            return kDownloadFailed;
        case DownloadResult::WriteFailed:
            break;
    }
    return {};
}

int sendConfiguration(AppContext& ctx, std::int32_t productCode, int address) {
    return ctx.bus.send(configurationFrame(productCode, address));
}

}  // namespace config
