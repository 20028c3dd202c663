#include "calibration/OutputCalibration.h"

#include <vector>

#include "calibration/SensorCalibration.h"
#include "link/RegisterMap.h"

namespace calib {

OutputGroups groupsForOutputType(const std::string& t) {
    if (t == "K1" || t == "K1+K2")
        return OutputGroups::Neither;
    if (t == "K1+1A" || t == "2K+1A")
        return OutputGroups::CurrentOnly;
    if (t == "K1+1V" || t == "2K+1V")
        return OutputGroups::VoltageOnly;
    return OutputGroups::Unchanged;
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
        if (!ctx.bus.exchange(command, 8, Timing::kNoWaitMs).ioOk)
            return -1;
        ++sent;
    }
    return sent;
}

void downloadOutputCoefficients(AppContext& ctx, OutputKind kind, float slope, float offset,
                                std::atomic<int>& done, const std::atomic<int>& cancel,
                                Progress* progress) {
    const std::vector<int> online = ctx.onlineAddresses();
    if (online.empty()) {
        ctx.messages.show(kNoOnlineDevices);
        done = 1;
        return;
    }
    std::vector<std::uint8_t> data;
    for (std::uint8_t b : reg::floatToRegisters(slope)) data.push_back(b);
    for (std::uint8_t b : reg::floatToRegisters(offset)) data.push_back(b);
    const std::uint16_t first =
        kind == OutputKind::Current ? reg::CurrentCoefficients : reg::VoltageCoefficients;

    const int perDeviceMs =
        Timing::kOutputCommandWaitMs + Timing::kRegisterWaitMs + Timing::kStoreWaitMs;
    for (std::size_t i = 0; i < online.size(); ++i) {
        const int a = online[i];
        if (cancel.load())
            break;
        const Timing timing = ctx.bus.timing();
        if (progress)
            showDeviceStep(*progress, a, static_cast<int>(i), static_cast<int>(online.size()),
                           &timing, perDeviceMs);
        const auto address = static_cast<std::uint8_t>(a);
        if (!ctx.bus.send(buildWriteSingle(address, reg::OutputCommand, kCommandPrepare))) {
            done = 1;  // the bus has said why; no 6 s wait for a command that never went out
            return;
        }
        ctx.bus.pause(Timing::kOutputCommandWaitMs);
        const ExchangeResult r =
            ctx.bus.writeRegisters(address, first, data, Timing::kRegisterWaitMs);
        if (!r.ioOk) {
            done = 1;
            return;
        }
        const bool verified = r.complete() && r.crcOk();
        ctx.bus.pause(Timing::kStoreWaitMs);
        if (!verified)
            ctx.messages.show(kVerifyFailed);
    }
    done = 1;
}

}  // namespace calib
