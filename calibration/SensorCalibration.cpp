#include "calibration/SensorCalibration.h"

#include "link/ModbusCrc16.h"
#include "link/RegisterMap.h"

namespace calib {

namespace {

std::string addressList(const std::vector<int>& addresses) {
    std::string out;
    for (int a : addresses) {
        if (!out.empty())
            out += ", ";
        out += std::to_string(a);
    }
    return out;
}

// Grid column of each online address (0 when offline).
std::array<int, kAddressCount> onlineColumns(const AppContext& ctx) {
    std::array<int, kAddressCount> col{};
    int rank = 0;
    for (int a = 1; a <= kAddressCount; ++a)
        if (ctx.OnlineTable[a - 1].load() == 1)
            col[a - 1] = ++rank;
    return col;
}

}  // namespace

std::string acquisitionThreadFailedText(int point) {
    return "采集线程" + std::to_string(point) + "启动失败！";
}

std::string writeVerifyFailedText(int address) {
    return "地址" + std::to_string(address) + "：K和B值下载校验失败！";
}

std::string flatReadingsText(const std::vector<int>& addresses) {
    return "以下地址的各点采集值全部相同，无法计算K和B值，未下载：" + addressList(addresses);
}

std::string missingReadingsText(const std::vector<int>& addresses) {
    return "以下地址缺少标定点的采集值，未下载K和B值：" + addressList(addresses);
}

SensorCalibration::SensorCalibration(AppContext& ctx) : ctx_(ctx) {}

void SensorCalibration::prepareAcquisition(int point) {
    AcqDone[point - 1] = 0;
    AcqFailed[point - 1] = 0;
}

void SensorCalibration::stopAcquisitions() {
    for (auto& f : AcqDone) f = 1;
}

void SensorCalibration::prepareDownload() {
    KBDownloadDone = 0;
    KBDownloadFailed = 0;
    KBDownloadCancel = 0;
}

void SensorCalibration::acquire(int point,
                                const std::function<void(const AcquisitionOutcome&)>& publish) {
    const int k = point - 1;
    const auto columns = onlineColumns(ctx_);
    int polled = 0;
    AcquisitionOutcome outcome;
    for (int a = 1; a <= kAddressCount; ++a) {
        if (AcqDone[k].load())
            return;  // stop request: list and grid stay as they are
        if (ctx_.OnlineTable[a - 1].load() != 1)
            continue;
        ++polled;
        // A fresh answer buffer per request (the bus discards stale input before each one), so
        // a silent device can never be credited with the previous device's answer.
        const ExchangeResult r = ctx_.bus.readInputRegisters(
            static_cast<std::uint8_t>(a), reg::RawReading, 1, Timing::kRegisterWaitMs);
        if (!r.ioOk) {
            AcqFailed[k] = 1;
            return;
        }
        if (!r.complete() || !r.crcOk())
            continue;
        const std::uint16_t value = r.reg(0);
        {
            std::lock_guard lock(mutex_);
            AcquiredValues_[a - 1][k] = static_cast<float>(value);
            taken_[a - 1][k] = true;
            AcquiredTexts_[a - 1] = std::to_string(value);
        }
        outcome.readings.push_back({a, columns[a - 1], std::to_string(value)});
    }
    if (polled == 0) {
        ctx_.messages.show(kNoPortOrNoDevices);
        AcqDone[k] = 1;
        return;
    }
    if (publish)
        publish(outcome);
    AcqDone[k] = 1;
}

void SensorCalibration::computeAndDownload(
    int n, const std::string& pageSignalType, int pageDensity,
    const std::function<void(const std::vector<CoefficientCell>&)>& publish) {
    const auto columns = onlineColumns(ctx_);
    bool anyOnline = false;
    for (int c : columns) anyOnline = anyOnline || c != 0;
    if (!anyOnline) {
        ctx_.messages.show(kNoOnlineDevices);
        KBDownloadDone = 1;
        return;
    }
    if (!isPointCount(n))
        n = 3;

    const BasicSettings basic = ctx_.basicSettings();
    // Without a point position every target is 0 and the fit would zero every device's
    // calibration; nothing is written then.
    const bool targetsKnown = pointPositionScale(basic.PointPositionText) != 0;
    const auto y = fitTargets(basic.RangeStart, basic.RangeEnd, n, basic.PointPositionText,
                              pageSignalType, pageDensity);

    std::vector<int> toWrite, flat, missing;
    {
        std::lock_guard lock(mutex_);
        CoefK_.fill(0.0f);
        CoefB_.fill(0.0f);
        if (targetsKnown) {
            for (int a = 1; a <= kAddressCount; ++a) {
                const auto& x = AcquiredValues_[a - 1];
                if (x[0] == 0.0f)
                    continue;
                bool complete = true;
                for (int i = 1; i < n; ++i) complete = complete && taken_[a - 1][i];
                if (!complete) {
                    missing.push_back(a);
                    continue;
                }
                float K = 0.0f, B = 0.0f;
                if (!FitLine(n, x.data(), y.data(), K, B)) {
                    flat.push_back(a);
                    continue;
                }
                CoefK_[a - 1] = K;
                CoefB_[a - 1] = B;
                toWrite.push_back(a);
            }
        }
    }

    std::vector<CoefficientCell> cells;
    for (int a = 1; a <= kAddressCount; ++a)
        if (columns[a - 1] != 0)
            cells.push_back({a, columns[a - 1], coefK(a), coefB(a)});
    if (publish)
        publish(cells);

    if (!targetsKnown)
        ctx_.messages.show(kUnknownPointPosition);
    if (!missing.empty())
        ctx_.messages.show(missingReadingsText(missing));
    if (!flat.empty())
        ctx_.messages.show(flatReadingsText(flat));

    for (int a : toWrite) {
        if (KBDownloadCancel.load())
            break;  // "Cancel Download": the devices written so far keep their coefficients
        std::vector<std::uint8_t> data;
        for (std::uint8_t b : reg::floatToRegisters(coefK(a))) data.push_back(b);
        for (std::uint8_t b : reg::floatToRegisters(coefB(a))) data.push_back(b);
        const ExchangeResult r = ctx_.bus.writeRegisters(
            static_cast<std::uint8_t>(a), reg::SensorCoefficients, data, Timing::kRegisterWaitMs);
        if (!r.ioOk) {
            KBDownloadFailed = 1;
            return;
        }
        const bool verified = r.complete() && r.crcOk();
        ctx_.bus.pause(Timing::kStoreWaitMs);
        if (!verified)
            ctx_.messages.show(writeVerifyFailedText(a));
    }
    KBDownloadDone = 1;
}

float SensorCalibration::acquiredValue(int address, int point) const {
    std::lock_guard lock(mutex_);
    return AcquiredValues_.at(address - 1).at(point - 1);
}

std::string SensorCalibration::acquiredText(int address) const {
    std::lock_guard lock(mutex_);
    return AcquiredTexts_.at(address - 1);
}

float SensorCalibration::coefK(int address) const {
    std::lock_guard lock(mutex_);
    return CoefK_.at(address - 1);
}

float SensorCalibration::coefB(int address) const {
    std::lock_guard lock(mutex_);
    return CoefB_.at(address - 1);
}

}  // namespace calib
