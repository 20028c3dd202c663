#include "config/Download.h"

#include "base/NumberText.h"
#include "base/ProgressTexts.h"
#include "base/Texts.h"

namespace config {

const char* const kDownloadSuccess = KORV_TR_NOOP("Core", "Download Success!");
const char* const kDownloadFailed = KORV_TR_NOOP("Core", "Download failed!");
const char* const kNoSearchAppliance = KORV_TR_NOOP("Core", "No search appliance！");

namespace {

constexpr int kMaxAddress = AppContext::kAddressCount;

// Registers in frame order; the first field that does not fit stops the encoding.
class Encoder {
public:
    explicit Encoder(const BasicConfigModel& m)
        : m_(m), s_(reg::dotMultiplier(m.list(ListId::PointPosition).text()).value_or(1)) {}

    void code(int c) { put(static_cast<std::uint16_t>(c)); }
    void number(reg::Register r, EditId edit, float x) {
        if (refusal_)
            return;
        if (const auto v = reg::encodeField(r, x, s_))
            put(*v);
        else
            refuse(r, edit, reg::fieldMultiplier(r, s_));
    }
    void integer(reg::Register r, EditId edit, long long v) {
        if (refusal_)
            return;
        if (const auto e = reg::encodeInteger(r, v))
            put(*e);
        else
            refuse(r, edit, 1);
    }
    void list(const std::array<reg::Code, 4>& table, ListId id) {
        code(reg::encodeText(table, m_.list(id).text()));
    }

    Frame frame(std::uint8_t address, std::uint16_t firstRegister) const {
        if (refusal_)
            return {{}, refusal_};
        return {buildWriteMultiple(address, firstRegister, data_), std::nullopt};
    }

private:
    void put(std::uint16_t v) {
        const auto b = reg::registerBytes(v);
        data_.insert(data_.end(), b.begin(), b.end());
    }
    void refuse(reg::Register r, EditId edit, int multiplier) {
        const reg::RegisterRange range = reg::registerRange(r);
        refusal_ = FieldRefusal{edit, rangeMessage(edit, range.min, range.max, multiplier)};
    }

    const BasicConfigModel& m_;
    const int s_;
    std::vector<std::uint8_t> data_;
    std::optional<FieldRefusal> refusal_;
};

// Registers 10..21.
void encodeSwitchRegisters(Encoder& e, const BasicConfigModel& m) {
    const PageValues& v = m.values;
    e.list(reg::kSwitchTypes, ListId::K1Type);
    e.number(reg::K1Action, EditId::K1Action, v.k1Action);
    e.number(reg::K1Release, EditId::K1Release, v.k1Release);
    e.number(reg::K1Delay, EditId::K1Delay, v.k1Delay);
    e.list(reg::kSwitchTypes, ListId::K2Type);
    e.number(reg::K2Action, EditId::K2Action, v.k2Action);
    e.number(reg::K2Release, EditId::K2Release, v.k2Release);
    e.number(reg::K2Delay, EditId::K2Delay, v.k2Delay);
    e.code(outputRangeCode(m));
    e.number(reg::RangeZStart, EditId::ZoomStart, v.zoomStart);
    e.number(reg::RangeZEnd, EditId::ZoomEnd, v.zoomEnd);
    e.integer(reg::Density, EditId::Density, v.density);
}

template <std::size_t N>
std::string codeText(const std::array<reg::Code, N>& table, int code) {
    return reg::decodeCode(table, code).value_or("code " + num::formatInt(code));
}

}  // namespace

std::string rangeMessage(EditId edit, long long min, long long max, int multiplier) {
    // Ten significant digits show every register limit at every scale exactly ("655.35", "0").
    const auto shown = [&](long long v) {
        return num::formatGeneral(static_cast<double>(v) / multiplier, 10);
    };
    return fillText(texts::kValueOutOfRange, {editCaption(edit), shown(min), shown(max)});
}

int outputRangeCode(const BasicConfigModel& m) {
    const std::string type = m.list(ListId::OutputType).text();
    if (reg::hasCurrentOutput(type))
        return reg::encodeText(reg::kOutputRanges, m.list(ListId::Current).text());
    if (reg::hasVoltageOutput(type))
        return reg::encodeText(reg::kOutputRanges, m.list(ListId::Voltage).text());
    return 0;
}

Frame configurationFrame(long long productCode, int address) {
    // Below 0 the classic byte split gives neither the code nor its two's complement.
    if (productCode < 0 || productCode > INT32_MAX)
        return {
            {},
            FieldRefusal{EditId::ProductCode, rangeMessage(EditId::ProductCode, 0, INT32_MAX, 1)}};
    // Register 3 carries the low byte only; 0 and 127 are no device's address.
    if (address < 1 || address > kMaxAddress)
        return {{},
                FieldRefusal{EditId::CurrentDevice,
                             rangeMessage(EditId::CurrentDevice, 1, kMaxAddress, 1)}};
    const auto pc = reg::splitProductCode(static_cast<std::int32_t>(productCode));
    std::vector<std::uint8_t> data(pc.begin(), pc.end());
    data.push_back(0);
    data.push_back(static_cast<std::uint8_t>(address));
    return {buildWriteMultiple(Bus::kBroadcast, reg::ProductCodeHigh, data), std::nullopt};
}

Frame singleDownloadFrame(std::uint8_t address, const BasicConfigModel& m) {
    Encoder e(m);
    encodeSwitchRegisters(e, m);
    return e.frame(address, reg::K1Type);
}

Frame batchDownloadFrame(const BasicConfigModel& m) {
    Encoder e(m);
    e.code(reg::encodeText(reg::kSignalTypes, m.list(ListId::SignalType).text()));
    e.code(reg::encodeText(reg::kSignalUnits, m.list(ListId::SignalUnit).text()));
    e.number(reg::RangeStart, EditId::RangeStart, m.values.rangeStart);
    e.number(reg::RangeEnd, EditId::RangeEnd, m.values.rangeEnd);
    e.code(reg::encodeText(reg::kOutputTypes, m.list(ListId::OutputType).text()));
    e.list(reg::kDotPositions, ListId::PointPosition);
    encodeSwitchRegisters(e, m);
    return e.frame(Bus::kBroadcast, reg::SignalType);
}

void waitForStore(AppContext& ctx, Progress* progress, int done, int total) {
    if (progress)
        progress->setUntil(
            progress_text::kStoreWait,
            std::chrono::steady_clock::now() + ctx.bus.timing().scaled(Timing::kStoreWaitMs), done,
            total);
    ctx.bus.pause(Timing::kStoreWaitMs);
}

DownloadResult downloadToDevice(AppContext& ctx, const std::vector<std::uint8_t>& frame,
                                Progress* progress, int done, int total,
                                std::uint8_t* refusedWith) {
    if (progress && !frame.empty())
        progress->set({progress_text::kWriteDevice, {num::formatInt(frame[0])}}, done, total);
    const ExchangeResult r = ctx.bus.exchange(frame, 8, Timing::kNoWaitMs);
    if (r.lineFailed())
        return DownloadResult::WriteFailed;  // the bus has said why; nothing to wait for
    if (refusedWith)
        *refusedWith = r.refused ? r.exceptionCode : 0;
    const bool ok = r.answered();
    waitForStore(ctx, progress, done + 1, total);
    return ok ? DownloadResult::Success : DownloadResult::Failed;
}

DownloadResult downloadToAll(AppContext& ctx, const std::vector<std::uint8_t>& frame,
                             Progress* progress, int done, int total) {
    if (progress)
        progress->set(progress_text::kWriteAll, done, total);
    if (!ctx.bus.send(frame))
        return DownloadResult::WriteFailed;
    waitForStore(ctx, progress, done + 1, total);
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

int sendConfiguration(AppContext& ctx, const std::vector<std::uint8_t>& frame) {
    return ctx.bus.send(frame);
}

std::optional<std::string> deviceMismatch(const BasicConfigModel& m,
                                          const reg::ParameterBlock& device, int address) {
    struct Check {
        const char* name;
        ListId list;
        std::string deviceText;
    };
    const Check checks[] = {
        {"Point position", ListId::PointPosition,
         codeText(reg::kDotPositions, device.get(reg::DotPos))},
        {"Output type", ListId::OutputType,
         codeText(reg::kOutputTypes, device.get(reg::OutputType))},
    };
    for (const Check& c : checks) {
        const std::string file = m.list(c.list).text();
        if (file != c.deviceText)
            return std::string(c.name) + ": the file has " + file + ", device " +
                   num::formatInt(address) + " has " + c.deviceText;
    }
    return std::nullopt;
}

}  // namespace config
