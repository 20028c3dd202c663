#include "config/ReadBack.h"

#include "common/NumberText.h"
#include "common/ProgressTexts.h"
#include "link/RegisterMap.h"

namespace config {

const char* const kNothingReadBack = "No device was online to read back: search first";

namespace {

const char* registerName(std::uint16_t r) {
    switch (r) {
        case reg::ProductCodeHigh:
        case reg::ProductCodeLow:
            return "Product code";
        case reg::Address:
            return "Address";
        case reg::SignalType:
            return "Signal type";
        case reg::SignalUnit:
            return "Signal unit";
        case reg::RangeStart:
            return "Range start";
        case reg::RangeEnd:
            return "Range end";
        case reg::OutputType:
            return "Output type";
        case reg::DotPos:
            return "Point position";
        case reg::K1Type:
            return "K1 switch type";
        case reg::K1Action:
            return "K1 action";
        case reg::K1Release:
            return "K1 release";
        case reg::K1Delay:
            return "K1 delay";
        case reg::K2Type:
            return "K2 switch type";
        case reg::K2Action:
            return "K2 action";
        case reg::K2Release:
            return "K2 release";
        case reg::K2Delay:
            return "K2 delay";
        case reg::OutputRange:
            return "Output range";
        case reg::RangeZStart:
            return "Zoom start";
        case reg::RangeZEnd:
            return "Zoom end";
        case reg::Density:
            return "Density";
        default:
            return "Register";
    }
}

}  // namespace

std::optional<SentRegisters> sentRegisters(const std::vector<std::uint8_t>& frame) {
    if (frame.size() < 7 || frame[1] != 0x10)
        return std::nullopt;
    const std::size_t count = reg::joinU16(frame[4], frame[5]);
    if (frame[6] != 2 * count || frame.size() != 7 + 2 * count)
        return std::nullopt;
    SentRegisters s;
    s.first = reg::joinU16(frame[2], frame[3]);
    for (std::size_t i = 0; i < count; ++i)
        s.values.push_back(reg::joinU16(frame[7 + 2 * i], frame[8 + 2 * i]));
    return s;
}

DeviceReadBack readBack(AppContext& ctx, int address, const SentRegisters& sent) {
    DeviceReadBack out;
    out.address = address;
    const ExchangeResult r =
        ctx.bus.readInputRegisters(static_cast<std::uint8_t>(address), reg::kBlockFirst,
                                   reg::kBlockCount, Timing::kSearchWaitMs);
    if (!r.ioOk) {
        out.status = ReadBackStatus::PortFailed;
        return out;
    }
    if (!r.complete() || !r.crcOk()) {
        out.status = ReadBackStatus::NoAnswer;
        return out;
    }
    const reg::ParameterBlock held = reg::ParameterBlock::fromAnswer(r.answer.data());
    for (std::size_t i = 0; i < sent.values.size(); ++i) {
        const auto r = static_cast<std::uint16_t>(sent.first + i);
        if (r < reg::kBlockFirst || r >= reg::kBlockFirst + reg::kBlockCount)
            continue;
        if (held.get(r) != sent.values[i])
            out.differences.push_back({r, sent.values[i], held.get(r)});
    }
    out.status = out.differences.empty() ? ReadBackStatus::Verified : ReadBackStatus::Differs;
    return out;
}

long long registerValue(std::uint16_t r, std::uint16_t value) {
    return reg::registerRange(r).min < 0 ? reg::asSigned(value) : value;
}

std::string differenceText(const RegisterDifference& d) {
    return std::string(registerName(d.reg)) + " holds " +
           num::formatInt(registerValue(d.reg, d.held)) + ", sent " +
           num::formatInt(registerValue(d.reg, d.sent));
}

std::string deviceReadBackText(const DeviceReadBack& d) {
    std::string text = num::formatInt(d.address) + ": ";
    switch (d.status) {
        case ReadBackStatus::Verified:
            return text + "verified";
        case ReadBackStatus::NoAnswer:
        case ReadBackStatus::PortFailed:
            return text + "no answer";
        case ReadBackStatus::Differs:
            break;
    }
    for (std::size_t i = 0; i < d.differences.size(); ++i)
        text += (i ? "; " : "") + differenceText(d.differences[i]);
    return text;
}

std::string readBackSummary(const std::vector<DeviceReadBack>& devices) {
    std::size_t verified = 0;
    std::string rest;
    for (const DeviceReadBack& d : devices) {
        if (d.status == ReadBackStatus::Verified)
            ++verified;
        else
            rest += "; " + deviceReadBackText(d);
    }
    return num::formatInt(static_cast<long long>(verified)) + " of " +
           num::formatInt(static_cast<long long>(devices.size())) + " devices verified" + rest;
}

bool DownloadReport::verified() const {
    if (result != DownloadResult::Success)
        return false;
    for (const DeviceReadBack& d : devices)
        if (d.status != ReadBackStatus::Verified)
            return false;
    return true;
}

DownloadReport downloadToDeviceVerified(AppContext& ctx, const std::vector<std::uint8_t>& frame,
                                        Progress* progress) {
    DownloadReport report;
    report.result = downloadToDevice(ctx, frame, progress, 0, 3);
    const auto sent = sentRegisters(frame);
    if (report.result != DownloadResult::Success || !sent)
        return report;
    if (progress)
        progress->set({progress_text::kReadBack, {num::formatInt(frame.at(0)), "1", "1"}}, 2, 3);
    report.devices.push_back(readBack(ctx, frame.at(0), *sent));
    return report;
}

DownloadReport downloadToAllVerified(AppContext& ctx, const std::vector<std::uint8_t>& frame,
                                     const std::vector<int>& online, Progress* progress) {
    DownloadReport report;
    // Steps: the write, the store wait, one read-back a device.
    const int total = 2 + static_cast<int>(online.size());
    report.result = downloadToAll(ctx, frame, progress, 0, total);
    const auto sent = sentRegisters(frame);
    if (report.result != DownloadResult::Success || !sent)
        return report;
    const Clock::SteadyPoint start = ctx.clock->steadyNow();
    const int count = static_cast<int>(online.size());
    for (int i = 0; i < count; ++i) {
        const int a = online[static_cast<std::size_t>(i)];
        if (progress)
            progress->set({progress_text::kReadBack,
                           {num::formatInt(a), num::formatInt(i + 1), num::formatInt(count)}},
                          2 + i, total,
                          estimateSecondsLeft(ctx.clock->steadyNow() - start, i, count));
        report.devices.push_back(readBack(ctx, a, *sent));
        if (report.devices.back().status == ReadBackStatus::PortFailed) {
            report.result = DownloadResult::WriteFailed;
            break;
        }
    }
    return report;
}

void tellDownload(OperatorMessages& messages, const DownloadReport& report, bool batch) {
    if (report.result == DownloadResult::WriteFailed)
        return;
    if (report.result == DownloadResult::Failed) {
        messages.show(kDownloadFailed);
        return;
    }
    if (!batch) {
        if (report.verified())
            messages.show(kDownloadSuccess);
        else
            messages.showWithDetail(kDownloadFailed, MessageIcon::Exclamation,
                                    deviceReadBackText(report.devices.front()));
        return;
    }
    if (report.devices.empty())
        messages.showWithDetail(kDownloadSuccess, MessageIcon::None, kNothingReadBack);
    else if (report.verified())
        messages.showWithDetail(kDownloadSuccess, MessageIcon::None,
                                readBackSummary(report.devices));
    else
        messages.show(readBackSummary(report.devices), MessageIcon::Exclamation);
}

}  // namespace config
