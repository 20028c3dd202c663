#include "config/ReadBack.h"

#include "base/NumberText.h"
#include "base/ProgressTexts.h"
#include "base/Texts.h"
#include "config/ParameterTable.h"
#include "link/LineFaults.h"
#include "link/RegisterMap.h"

namespace config {

const char* const kNothingReadBack =
    KORV_TR_NOOP("Core", "No device was online to read back: search first");

namespace {

const char* registerName(std::uint16_t r) {
    if (r == reg::ProductCodeHigh || r == reg::ProductCodeLow)
        return KORV_TR_NOOP("Core", "Product code");
    if (const ParameterRow* row = parameterRow(r))
        return row->name;
    return KORV_TR_NOOP("Core", "Register");
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
    if (r.lineFailed()) {
        out.status = ReadBackStatus::PortFailed;
        return out;
    }
    if (!r.answered()) {
        out.status = ReadBackStatus::NoAnswer;
        if (r.refused)
            out.refusedWith = r.exceptionCode;
        return out;
    }
    const reg::ParameterBlock held = reg::ParameterBlock::fromAnswer(r.answer);
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
    const ParameterRow* row = parameterRow(r);
    return row && row->holding.isSigned ? reg::asSigned(value) : value;
}

Message differenceText(const RegisterDifference& d) {
    return compose(
        texts::kRegisterHolds,
        {registerName(d.reg), Message::verbatim(num::formatInt(registerValue(d.reg, d.held))),
         Message::verbatim(num::formatInt(registerValue(d.reg, d.sent)))});
}

Message deviceReadBackText(const DeviceReadBack& d) {
    const Message address = Message::verbatim(num::formatInt(d.address));
    switch (d.status) {
        case ReadBackStatus::Verified:
            return compose(texts::kDeviceVerified, {address});
        case ReadBackStatus::NoAnswer:
            if (d.refusedWith != 0)
                return refusalText(d.address, d.refusedWith);
            return compose(texts::kDeviceNoAnswer, {address});
        case ReadBackStatus::PortFailed:
            return compose(texts::kDeviceNotReadBack, {address});
        case ReadBackStatus::NotReached:
            return compose(texts::kDeviceNotReached, {address});
        case ReadBackStatus::Differs:
            break;
    }
    std::vector<Message> differences;
    for (const RegisterDifference& r : d.differences) differences.push_back(differenceText(r));
    return compose(texts::kAddressed, {address, Message::joined(std::move(differences), "; ")});
}

Message readBackSummary(const std::vector<DeviceReadBack>& devices) {
    std::size_t verified = 0;
    // Each device that did not verify follows the count after its own "; ".
    std::vector<Message> rest{Message::verbatim("")};
    for (const DeviceReadBack& d : devices) {
        if (d.status == ReadBackStatus::Verified)
            ++verified;
        else
            rest.push_back(deviceReadBackText(d));
    }
    return compose(texts::kDevicesVerified,
                   {Message::verbatim(num::formatInt(static_cast<long long>(verified))),
                    Message::verbatim(num::formatInt(static_cast<long long>(devices.size()))),
                    rest.size() > 1 ? Message::joined(std::move(rest), "; ") : Message()});
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
    std::uint8_t refusedWith = 0;
    report.result = downloadToDevice(ctx, frame, progress, 0, 3, &refusedWith);
    report.written = report.result != DownloadResult::WriteFailed;
    if (refusedWith != 0)
        report.refusal = refusalText(frame.at(0), refusedWith);
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
    report.written = report.result == DownloadResult::Success;
    const auto sent = sentRegisters(frame);
    if (report.result != DownloadResult::Success || !sent) {
        // The frame never went out whole: no device has it.
        for (int a : online) report.devices.push_back({a, ReadBackStatus::NotReached, {}});
        return report;
    }
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
            // The broadcast reached them all; what the rest hold is not known.
            report.result = DownloadResult::WriteFailed;
            for (int j = i + 1; j < count; ++j)
                report.devices.push_back(
                    {online[static_cast<std::size_t>(j)], ReadBackStatus::PortFailed, {}});
            break;
        }
    }
    return report;
}

void tellDownload(OperatorMessages& messages, const DownloadReport& report, bool batch) {
    if (report.result == DownloadResult::WriteFailed) {
        // The port has spoken; after a broadcast that went out, what each device holds follows.
        if (batch && report.written && !report.devices.empty())
            messages.show(readBackSummary(report.devices), MessageIcon::Exclamation);
        return;
    }
    if (report.result == DownloadResult::Failed) {
        if (report.refusal.empty())
            messages.show(kDownloadFailed);
        else
            messages.showWithDetail(kDownloadFailed, MessageIcon::None, report.refusal);
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
