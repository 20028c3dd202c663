#include "config/Download.h"

#include "base/NumberText.h"
#include "base/ProgressTexts.h"
#include "base/Texts.h"
#include "config/ParameterTable.h"
#include "link/DeviceAddress.h"

namespace config {

const char* const kDownloadSuccess = KORV_TR_NOOP("Core", "Download Success!");
const char* const kDownloadFailed = KORV_TR_NOOP("Core", "Download failed!");
const char* const kNoSearchAppliance = KORV_TR_NOOP("Core", "No search appliance！");

namespace {

constexpr int kMaxAddress = AppContext::kAddressCount;
static_assert(Bus::kBroadcast == device_address::kBroadcast, "one broadcast address");

// Registers in frame order; the first field that does not fit stops the encoding.
class Encoder {
public:
    explicit Encoder(const BasicConfigModel& m)
        : s_(reg::dotMultiplier(m.list(ListId::PointPosition).text()).value_or(1)) {}

    void code(int c) { put(static_cast<std::uint16_t>(c)); }
    // A row's value is its first control's.
    void number(const ParameterRow& row, float x) {
        if (refusal_)
            return;
        if (const auto v = reg::encodeField(row.holding, x, s_))
            put(*v);
        else
            refuse(row, reg::fieldMultiplier(row.holding, s_));
    }
    void integer(const ParameterRow& row, long long v) {
        if (refusal_)
            return;
        if (const auto e = reg::encodeInteger(row.holding, v))
            put(*e);
        else
            refuse(row, 1);
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
    void refuse(const ParameterRow& row, int multiplier) {
        const EditId edit = row.controls[0].edit;
        const reg::RegisterRange range = reg::registerRange(row.holding);
        refusal_ = FieldRefusal{edit, rangeMessage(edit, range.min, range.max, multiplier)};
    }

    const int s_;
    std::vector<std::uint8_t> data_;
    std::optional<FieldRefusal> refusal_;
};

// Registers `first`..kBlockLast as the table's rows say, in register order.
Frame encodeFrom(std::uint8_t address, reg::Register first, const BasicConfigModel& m) {
    Encoder e(m);
    for (const ParameterRow& row : kParameterTable) {
        if (row.reg < first)
            continue;
        switch (row.field) {
            case Field::Code:
                e.code(reg::encodeText(codesOf(row.codes), m.list(row.controls[0].list).text()));
                break;
            case Field::OutputRange:
                e.code(outputRangeCode(m));
                break;
            case Field::Number:
                e.number(row, m.values.number(row.controls[0].edit));
                break;
            case Field::Integer:
                e.integer(row, m.values.integer(row.controls[0].edit));
                break;
            case Field::NotWritten:
                break;
        }
    }
    return e.frame(address, first);
}

template <std::size_t N>
std::string codeText(const std::array<reg::Code, N>& table, int code) {
    return reg::decodeCode(table, code).value_or("code " + num::formatInt(code));
}

}  // namespace

Message rangeMessage(EditId edit, long long min, long long max, int multiplier) {
    // Ten significant digits show every register limit at every scale exactly ("655.35", "0").
    const auto shown = [&](long long v) {
        return Message::verbatim(num::formatGeneral(static_cast<double>(v) / multiplier, 10));
    };
    return compose(texts::kValueOutOfRange, {editCaption(edit), shown(min), shown(max)});
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
    return encodeFrom(address, reg::K1Type, m);
}

Frame batchDownloadFrame(const BasicConfigModel& m) {
    return encodeFrom(Bus::kBroadcast, reg::SignalType, m);
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
