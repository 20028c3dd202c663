#include "calibration/SensorCalibration.h"

#include "base/NumberText.h"
#include "base/ProgressTexts.h"
#include "base/Texts.h"
#include "config/Download.h"
#include "link/RegisterMap.h"

namespace calib {

namespace {

std::string numberList(const std::vector<int>& numbers) {
    std::string out;
    for (int a : numbers) {
        if (!out.empty())
            out += ", ";
        out += num::formatInt(a);
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

void showDeviceStep(Progress& progress, int address, int done, int total, const Timing* timing,
                    int msPerDevice, int msAfter) {
    int secondsLeft = -1;
    if (timing) {
        const long long us =
            timing->scaled(msPerDevice).count() * (total - done) + timing->scaled(msAfter).count();
        secondsLeft = static_cast<int>((us + 999999) / 1000000);
    }
    progress.set({progress_text::kDeviceStep,
                  {num::formatInt(address), num::formatInt(done + 1), num::formatInt(total)}},
                 done, total, secondsLeft);
}

WriteOutcome writeOutcome(const ExchangeResult& r) {
    if (r.answered())
        return WriteOutcome::Confirmed;
    return r.sent ? WriteOutcome::NotConfirmed : WriteOutcome::NotReached;
}

Message downloadInterruptedText(const std::vector<int>& confirmed,
                                const std::vector<int>& notConfirmed,
                                const std::vector<int>& notReached) {
    std::vector<Message> lines{texts::kDownloadInterrupted};
    const std::pair<const char*, const std::vector<int>*> kinds[] = {
        {texts::kWrittenConfirmed, &confirmed},
        {texts::kWrittenNotConfirmed, &notConfirmed},
        {texts::kNotWrittenDevices, &notReached},
    };
    for (const auto& [tmpl, addresses] : kinds)
        if (!addresses->empty())
            lines.push_back(compose(tmpl, {Message::verbatim(numberList(*addresses))}));
    return Message::joined(std::move(lines), "\n");
}

Message writeVerifyFailedText(int address) {
    return compose(texts::kWriteVerifyFailed, {Message::verbatim(num::formatInt(address))});
}

Message flatReadingsText(const std::vector<int>& addresses) {
    return compose(texts::kFlatReadings, {Message::verbatim(numberList(addresses))});
}

Message missingReadingsText(const std::vector<int>& addresses) {
    return compose(texts::kMissingReadings, {Message::verbatim(numberList(addresses))});
}

Message pointsNotAcquiredText(const std::vector<int>& points) {
    return compose(texts::kPointsNotAcquired, {Message::verbatim(numberList(points))});
}

Message downloadCompleteText(const std::vector<int>& marked) {
    if (marked.empty())
        return KORV_TR_NOOP("Core", "K和B值下载完成！");
    return compose(texts::kDownloadCompleteMarked, {Message::verbatim(numberList(marked))});
}

TargetSet targetSetFor(const BasicSettings& basic, int pointCount, const std::string& signalType,
                       int density) {
    return {pointCount, basic.RangeStart, basic.RangeEnd, basic.PointPositionText,
            signalType, density};
}

std::optional<std::string> targetsRefusal(const TargetSet& t) {
    if (!isPointCount(t.pointCount))
        return kUnknownPointCount;
    if (pointPositionScale(t.pointPosition) == 0)
        return kUnknownPointPosition;
    if (unitFactor(t) == 0.0L)
        return kNoDensity;
    if (t.rangeStart == t.rangeEnd)
        return kEmptyRange;
    return std::nullopt;
}

const DeviceCalibration* CalibrationSnapshot::device(int address) const {
    for (const auto& d : devices)
        if (d.address == address)
            return &d;
    return nullptr;
}

bool SensorCalibration::Device::anyReading() const {
    for (bool t : taken)
        if (t)
            return true;
    return false;
}

SensorCalibration::SensorCalibration(AppContext& ctx) : ctx_(ctx) {}

void SensorCalibration::prepareAcquisition(int point) {
    AcqDone[point - 1] = 0;
    AcqFailed[point - 1] = 0;
    progress.clear();
}

void SensorCalibration::stopAcquisitions() {
    for (auto& f : AcqDone) f = 1;
}

void SensorCalibration::prepareDownload() {
    KBDownloadDone = 0;
    KBDownloadFailed = 0;
    KBDownloadCancel = 0;
    progress.clear();
}

void SensorCalibration::prepareVerify() {
    VerifyDone = 0;
    VerifyFailed = 0;
    VerifyCancel = 0;
    progress.clear();
}

bool SensorCalibration::useTargets(const TargetSet& t) {
    std::lock_guard lock(mutex_);
    if (targets_ && *targets_ == t)
        return false;
    targets_ = t;
    devices_.fill(Device{});
    AcquiredTexts_.fill({});
    lastVerifiedPoint_ = 0;
    return true;
}

void SensorCalibration::clearFitsLocked() {
    for (Device& d : devices_) {
        d.outcome = DeviceOutcome::None;
        d.fitted = false;
        d.K = 0.0f;
        d.B = 0.0f;
        d.quality = {};
        d.writtenAt.reset();
        d.verified = {};
    }
    lastVerifiedPoint_ = 0;
}

void SensorCalibration::setOutcome(int address, DeviceOutcome outcome) {
    std::lock_guard lock(mutex_);
    Device& d = devices_[address - 1];
    d.outcome = outcome;
    if (outcome == DeviceOutcome::Written)
        d.writtenAt = ctx_.clock->now();
}

void SensorCalibration::acquire(int point, const TargetSet& t,
                                const std::function<void(const AcquisitionOutcome&)>& publish) {
    if (point < 1 || point > kMaxPoints)
        return;
    const int k = point - 1;
    useTargets(t);
    if (point > t.pointCount) {  // not a point of this set
        AcqDone[k] = 1;
        return;
    }
    const auto columns = onlineColumns(ctx_);
    int online = 0;
    for (int c : columns) online += c != 0;
    int polled = 0;
    bool stored = false;
    AcquisitionOutcome outcome;
    for (int a = 1; a <= kAddressCount; ++a) {
        if (AcqDone[k].load())
            return;  // stop request: list and grid stay as they are
        if (ctx_.OnlineTable[a - 1].load() != 1)
            continue;
        showDeviceStep(progress, a, polled, online);
        ++polled;
        // A fresh answer buffer per request (the bus discards stale input before each one), so
        // a silent device can never be credited with the previous device's answer.
        const ExchangeResult r = ctx_.bus.readInputRegisters(
            static_cast<std::uint8_t>(a), reg::RawReading, 1, Timing::kRegisterWaitMs);
        if (r.lineFailed()) {
            AcqFailed[k] = 1;
            return;
        }
        if (!r.answered())
            continue;
        const std::uint16_t value = r.reg(0);
        {
            std::lock_guard lock(mutex_);
            // New readings make every fit of the old ones stale.
            if (!stored)
                clearFitsLocked();
            stored = true;
            devices_[a - 1].value[k] = static_cast<float>(value);
            devices_[a - 1].taken[k] = true;
            AcquiredTexts_[a - 1] = num::formatInt(value);
        }
        outcome.readings.push_back({a, columns[a - 1], num::formatInt(value)});
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

SensorCalibration::FitRun SensorCalibration::fitAll(const TargetSet& t,
                                                    const std::array<int, kAddressCount>& columns) {
    const int n = t.pointCount;
    const auto y = fitTargets(t);
    FitRun run;
    std::lock_guard lock(mutex_);
    for (int i = 0; i < n; ++i) {
        bool any = false;
        for (const Device& d : devices_) any = any || d.taken[i];
        if (!any)
            run.notAcquired.push_back(i + 1);
    }
    if (!run.notAcquired.empty())
        return run;
    clearFitsLocked();
    for (int a = 1; a <= kAddressCount; ++a) {
        Device& d = devices_[a - 1];
        if (!d.anyReading() && columns[a - 1] == 0)
            continue;                        // offline and never read: nothing was expected of it
        bool complete = d.value[0] != 0.0f;  // the classic's mark of "not acquired"
        for (int i = 0; i < n; ++i) complete = complete && d.taken[i];
        if (!complete) {
            d.outcome = DeviceOutcome::MissingReading;
            run.missing.push_back(a);
            continue;
        }
        float K = 0.0f, B = 0.0f;
        if (!FitLine(n, d.value.data(), y.data(), K, B)) {
            d.outcome = DeviceOutcome::EqualReadings;
            run.flat.push_back(a);
            continue;
        }
        d.fitted = true;
        d.K = K;
        d.B = B;
        d.quality = fitQuality(t, d.value.data(), K, B);
        if (d.quality.marked)
            run.marked.push_back(a);
        run.fitted.push_back(a);
    }
    return run;
}

void SensorCalibration::computeAndDownload(const TargetSet& t,
                                           const std::function<void()>& changed) {
    const auto notify = [&changed] {
        if (changed)
            changed();
    };
    const auto columns = onlineColumns(ctx_);
    bool anyOnline = false;
    for (int c : columns) anyOnline = anyOnline || c != 0;
    if (!anyOnline) {
        ctx_.messages.show(kNoOnlineDevices);
        KBDownloadDone = 1;
        return;
    }
    if (useTargets(t))
        notify();
    // Targets that cannot be made, or are all the same, would zero or flatten every device.
    if (const auto refusal = targetsRefusal(t)) {
        ctx_.messages.show(*refusal);
        KBDownloadDone = 1;
        return;
    }
    const FitRun run = fitAll(t, columns);
    if (!run.notAcquired.empty()) {
        ctx_.messages.show(pointsNotAcquiredText(run.notAcquired));
        KBDownloadDone = 1;
        return;
    }
    notify();  // the fit and its quality, before anything is written
    if (!run.missing.empty())
        ctx_.messages.show(missingReadingsText(run.missing));
    if (!run.flat.empty())
        ctx_.messages.show(flatReadingsText(run.flat));

    // Every device stores what was written to it on its own: the writes go out back to back and
    // one store wait serves them all, before the answers are judged. Same frames, same order.
    const Timing timing = ctx_.bus.timing();
    const std::vector<int>& toWrite = run.fitted;
    const int total = static_cast<int>(toWrite.size());
    std::vector<int> confirmed, notConfirmed, notReached;
    for (int i = 0; i < total; ++i) {
        const int a = toWrite[static_cast<std::size_t>(i)];
        if (KBDownloadCancel.load() || KBDownloadFailed.load()) {
            // "Cancel Download" or a failed port: the devices written so far keep theirs.
            setOutcome(a, DeviceOutcome::NotReached);
            notReached.push_back(a);
            continue;
        }
        showDeviceStep(progress, a, i, total, &timing, Timing::kRegisterWaitMs,
                       Timing::kStoreWaitMs);
        std::vector<std::uint8_t> data;
        for (std::uint8_t b : reg::floatToRegisters(coefK(a))) data.push_back(b);
        for (std::uint8_t b : reg::floatToRegisters(coefB(a))) data.push_back(b);
        const ExchangeResult r = ctx_.bus.writeRegisters(
            static_cast<std::uint8_t>(a), reg::SensorCoefficients, data, Timing::kRegisterWaitMs);
        if (r.lineFailed())
            KBDownloadFailed = 1;
        switch (writeOutcome(r)) {
            case WriteOutcome::Confirmed:
                setOutcome(a, DeviceOutcome::Written);
                confirmed.push_back(a);
                break;
            case WriteOutcome::NotConfirmed:
                setOutcome(a, DeviceOutcome::NotConfirmed);
                notConfirmed.push_back(a);
                break;
            case WriteOutcome::NotReached:
                setOutcome(a, DeviceOutcome::NotReached);
                notReached.push_back(a);
                break;
        }
        notify();
    }
    if (KBDownloadFailed.load()) {
        // The port has said why; once anything went out, the operator learns what each device
        // holds now.
        progress.clear();
        notify();
        if (!confirmed.empty() || !notConfirmed.empty())
            ctx_.messages.show(downloadInterruptedText(confirmed, notConfirmed, notReached));
        return;
    }
    if (!confirmed.empty() || !notConfirmed.empty())
        config::waitForStore(ctx_, &progress, total, total);
    for (int a : notConfirmed) ctx_.messages.show(writeVerifyFailedText(a));
    progress.clear();
    notify();
    if (!confirmed.empty() && !KBDownloadCancel.load())
        ctx_.messages.show(downloadCompleteText(run.marked));
    KBDownloadDone = 1;
}

void SensorCalibration::verify(int point, const TargetSet& t,
                               const std::function<void()>& changed) {
    if (useTargets(t) && changed)
        changed();
    if (point < 1 || point > t.pointCount || !isPointCount(t.pointCount)) {
        VerifyDone = 1;
        return;
    }
    std::vector<int> written;
    {
        std::lock_guard lock(mutex_);
        for (int a = 1; a <= kAddressCount; ++a)
            if (devices_[a - 1].outcome == DeviceOutcome::Written)
                written.push_back(a);
    }
    if (written.empty()) {
        ctx_.messages.show(kNothingToVerify);
        VerifyDone = 1;
        return;
    }
    std::vector<VerifyReading> readings;
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (VerifyCancel.load()) {
            VerifyDone = 1;  // nothing of a cancelled pass is kept
            return;
        }
        const int a = written[i];
        showDeviceStep(progress, a, static_cast<int>(i), static_cast<int>(written.size()));
        const ExchangeResult r = ctx_.bus.readInputRegisters(
            static_cast<std::uint8_t>(a), reg::MeasuredValue, 1, Timing::kRegisterWaitMs);
        if (r.lineFailed()) {
            VerifyFailed = 1;
            return;
        }
        VerifyReading v;
        if (r.answered()) {
            v.answered = true;
            v.measured = r.reg(0);
            v.error = verifyError(t, point, v.measured);
        }
        readings.push_back(v);
    }
    {
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < written.size(); ++i)
            devices_[written[i] - 1].verified[point - 1] = readings[i];
        lastVerifiedPoint_ = point;
    }
    progress.clear();
    if (changed)
        changed();
    VerifyDone = 1;
}

CalibrationSnapshot SensorCalibration::snapshot() const {
    std::lock_guard lock(mutex_);
    CalibrationSnapshot s;
    s.targets = targets_;
    s.lastVerifiedPoint = lastVerifiedPoint_;
    for (int a = 1; a <= kAddressCount; ++a) {
        const Device& d = devices_[a - 1];
        if (!d.anyReading() && d.outcome == DeviceOutcome::None)
            continue;
        DeviceCalibration c;
        c.address = a;
        for (int i = 0; i < kMaxPoints; ++i)
            if (d.taken[i])
                c.readings[i] = d.value[i];
        c.outcome = d.outcome;
        c.fitted = d.fitted;
        c.K = d.K;
        c.B = d.B;
        c.quality = d.quality;
        c.writtenAt = d.writtenAt;
        c.verified = d.verified;
        s.devices.push_back(c);
    }
    return s;
}

float SensorCalibration::acquiredValue(int address, int point) const {
    std::lock_guard lock(mutex_);
    return devices_.at(address - 1).value.at(point - 1);
}

std::string SensorCalibration::acquiredText(int address) const {
    std::lock_guard lock(mutex_);
    return AcquiredTexts_.at(address - 1);
}

float SensorCalibration::coefK(int address) const {
    std::lock_guard lock(mutex_);
    return devices_.at(address - 1).K;
}

float SensorCalibration::coefB(int address) const {
    std::lock_guard lock(mutex_);
    return devices_.at(address - 1).B;
}

}  // namespace calib
