#include "calibration/OutputCalibration.h"

#include <chrono>
#include <vector>

#include "base/Progress.h"
#include "base/ProgressTexts.h"
#include "calibration/SensorCalibration.h"
#include "config/Download.h"
#include "link/ParameterCodes.h"
#include "link/RegisterMap.h"

namespace calib {

OutputGroups groupsForOutputType(const std::string& t) {
    const auto type = reg::outputTypeOf(t);
    if (!type)
        return OutputGroups::Unchanged;
    const reg::OutputParts parts = reg::outputParts(*type);
    if (parts.current)
        return OutputGroups::CurrentOnly;
    if (parts.voltage)
        return OutputGroups::VoltageOnly;
    return OutputGroups::Neither;
}

int sendOutputCommand(AppContext& ctx, std::uint16_t value, const std::atomic<int>* cancel,
                      Progress* progress) {
    int sent = 0;
    const std::vector<int> online = ctx.onlineAddresses();
    for (int a : online) {
        if (cancel && cancel->load())
            break;
        if (progress)
            showDeviceStep(*progress, a, sent, static_cast<int>(online.size()));
        // The device echoes the command. On a half-duplex line the next command must wait for
        // that echo, or the two collide; it returns as soon as the echo is in.
        const auto command =
            buildWriteSingle(static_cast<std::uint8_t>(a), reg::OutputCommand, value);
        if (ctx.bus.exchange(command, 8, Timing::kNoWaitMs).lineFailed())
            return -1;
        ++sent;
    }
    return sent;
}

OutputDownload downloadOutputCoefficients(AppContext& ctx, OutputKind kind, float slope,
                                          float offset, std::atomic<int>& done,
                                          const std::atomic<int>& cancel, Progress* progress) {
    OutputDownload result;
    const std::vector<int> online = ctx.onlineAddresses();
    for (int a : online) result.devices.emplace_back(a, WriteOutcome::NotReached);
    const auto finish = [&] {
        if (progress)
            progress->clear();
        // The bus has said why; once coefficients went out, the operator learns what each
        // device holds.
        std::vector<int> confirmed, notConfirmed, notReached;
        for (const auto& [a, o] : result.devices)
            (o == WriteOutcome::Confirmed      ? confirmed
             : o == WriteOutcome::NotConfirmed ? notConfirmed
                                               : notReached)
                .push_back(a);
        if (result.lineFailed && notReached.size() < result.devices.size())
            ctx.messages.show(downloadInterruptedText(confirmed, notConfirmed, notReached));
        done = 1;
        return result;
    };
    if (online.empty()) {
        ctx.messages.show(kNoOnlineDevices);
        return finish();
    }
    std::vector<std::uint8_t> data;
    for (std::uint8_t b : reg::floatToRegisters(slope)) data.push_back(b);
    for (std::uint8_t b : reg::floatToRegisters(offset)) data.push_back(b);
    const std::uint16_t first =
        kind == OutputKind::Current ? reg::CurrentCoefficients : reg::VoltageCoefficients;

    // Each device prepares and stores on its own: one wait of each kind serves them all, and
    // every device still has its full 6 s between its command and its coefficients.
    const int commanded = sendOutputCommand(ctx, kCommandPrepare, &cancel, progress);
    result.lineFailed = commanded < 0;
    if (result.lineFailed || cancel.load())
        return finish();
    const Timing timing = ctx.bus.timing();
    if (progress)
        progress->setUntil(
            progress_text::kPrepareWait,
            std::chrono::steady_clock::now() + timing.scaled(Timing::kOutputCommandWaitMs));
    if (!ctx.bus.pause(Timing::kOutputCommandWaitMs, &cancel))
        return finish();

    const int total = static_cast<int>(online.size());
    bool anySent = false;
    for (int i = 0; i < total; ++i) {
        if (cancel.load())
            break;
        const int a = online[static_cast<std::size_t>(i)];
        if (progress)
            showDeviceStep(*progress, a, i, total, &timing, Timing::kRegisterWaitMs,
                           Timing::kStoreWaitMs);
        const ExchangeResult r = ctx.bus.writeRegisters(static_cast<std::uint8_t>(a), first, data,
                                                        Timing::kRegisterWaitMs);
        result.devices[static_cast<std::size_t>(i)].second = writeOutcome(r);
        anySent = anySent || r.sent;
        if (r.lineFailed()) {
            result.lineFailed = true;
            return finish();
        }
    }
    if (anySent)
        config::waitForStore(ctx, progress, total, total);
    for (const auto& [a, o] : result.devices)
        if (o == WriteOutcome::NotConfirmed)
            ctx.messages.show(kVerifyFailed);
    return finish();
}

}  // namespace calib
