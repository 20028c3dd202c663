// The whole sensor calibration of 60 simulated devices at 9600 baud with a 50 ms response
// time-out: full scan, two points, K and B written, verified at the second point. Printed: its
// time, its wire-time bound (every request and answer at 10 bits a byte, the device latency of
// every answer, one store wait) and their ratio; beside it the classic schedule, which waits for
// the store after every device's write. The classic run has its store waits shrunk (printed) so
// that it stays short; its time at the real wait is projected from it.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "calibration/CalibrationMath.h"
#include "calibration/SensorCalibration.h"
#include "config/DeviceSearch.h"
#include "link/RegisterMap.h"
#include "sim/SimBus.h"
#include "state/AppContext.h"
#include "tests/support/RecordingMessages.h"

namespace {

constexpr int kBaud = 9600;
constexpr double kLatencyMs = 5.0;
constexpr int kDevices = 60;
constexpr int kTimeoutMs = 50;
constexpr int kPoints = 2;
constexpr double kClassicStoreScale = 0.1;

double wireSeconds(int bytes) {
    return bytes * 10.0 / kBaud;
}

// Request and answer bytes of each exchange with every device.
double wireBound(double storeScale) {
    const int scan = 8 + reg::kBlockAnswerLength;
    const int reading = 8 + 7;  // register 22 at each point, register 23 to verify
    const int coefficients = 17 + 8;
    const int exchanges = 1 + kPoints + 1 + 1;
    const double bytes = kDevices * (scan + kPoints * reading + coefficients + reading);
    return wireSeconds(static_cast<int>(bytes)) + kDevices * exchanges * kLatencyMs / 1000.0 +
           storeScale * Timing::kStoreWaitMs / 1000.0;
}

struct Result {
    double seconds = 0.0;
    int found = 0;
    int written = 0;
    int verified = 0;
};

// The classic schedule: each device's K and B, then the full store wait before the next one.
void classicDownload(AppContext& ctx, const calib::TargetSet& t,
                     const calib::CalibrationSnapshot& s, std::vector<int>& written) {
    const auto y = calib::fitTargets(t);
    for (const auto& d : s.devices) {
        float x[calib::kMaxPoints] = {};
        for (int i = 0; i < t.pointCount; ++i) x[i] = d.readings[i].value_or(0.0f);
        float K = 0.0f, B = 0.0f;
        if (!calib::FitLine(t.pointCount, x, y.data(), K, B))
            continue;
        std::vector<std::uint8_t> data;
        for (std::uint8_t b : reg::floatToRegisters(K)) data.push_back(b);
        for (std::uint8_t b : reg::floatToRegisters(B)) data.push_back(b);
        const ExchangeResult r =
            ctx.bus.writeRegisters(static_cast<std::uint8_t>(d.address), reg::SensorCoefficients,
                                   data, Timing::kRegisterWaitMs);
        if (r.answered())
            written.push_back(d.address);
        ctx.bus.pause(Timing::kStoreWaitMs);
    }
}

Result calibrate(double storeScale, bool classic) {
    SimBus::Options o;
    for (int a = 1; a <= kDevices; ++a) o.addresses.push_back(a);
    o.baud = kBaud;
    o.latencyMs = kLatencyMs;
    SimBus sim(o);
    for (int a = 1; a <= kDevices; ++a) sim.setGainOffset(a, 8000.0 + 40.0 * a, 300.0 + 7.0 * a);
    RecordingMessages messages;
    Timing timing;
    timing.scale = storeScale;  // with a response time-out of N ms only the store waits scale
    AppContext ctx(messages, timing);
    SerialSettings settings;
    settings.PortName = sim.portPath();
    settings.BaudRate = kBaud;
    settings.ResponseTimeoutMs = kTimeoutMs;
    if (!ctx.bus.Open(settings).ok())
        return {};
    BasicSettings basic;
    basic.RangeStart = 0.0f;
    basic.RangeEnd = 1.6f;
    basic.PointPositionText = "0.000";
    ctx.setBasicSettings(basic);
    const calib::TargetSet t = calib::targetSetFor(basic, kPoints, "Pressure", 0);
    const auto targets = calib::targetValues(t);

    Result out;
    const auto t0 = std::chrono::steady_clock::now();
    config::SearchState st;
    config::ScanAllDevices(ctx, st);
    out.found = static_cast<int>(ctx.onlineAddresses().size());
    calib::SensorCalibration cal(ctx);
    for (int k = 1; k <= kPoints; ++k) {
        sim.setAppliedPressure(targets[k - 1]);
        cal.prepareAcquisition(k);
        cal.acquire(k, t, {});
    }
    const double limit = calib::kResidualLimit * (t.rangeEnd - t.rangeStart);
    if (!classic) {
        cal.prepareDownload();
        cal.computeAndDownload(t, {});
        cal.prepareVerify();
        cal.verify(kPoints, t, {});
        out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        for (const auto& d : cal.snapshot().devices) {
            out.written += d.outcome == calib::DeviceOutcome::Written;
            const auto& v = d.verified[kPoints - 1];
            out.verified += v && v->answered && std::fabs(v->error) <= limit;
        }
        return out;
    }
    std::vector<int> written;
    classicDownload(ctx, t, cal.snapshot(), written);
    for (int a : written) {  // the same register 23 reads as the verification
        const ExchangeResult r = ctx.bus.readInputRegisters(
            static_cast<std::uint8_t>(a), reg::MeasuredValue, 1, Timing::kRegisterWaitMs);
        out.verified +=
            r.answered() && std::fabs(calib::verifyError(t, kPoints, r.reg(0))) <= limit;
    }
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    out.written = static_cast<int>(written.size());
    return out;
}

void warnIfIncomplete(const char* name, const Result& r) {
    if (r.found != kDevices || r.written != kDevices || r.verified != kDevices)
        std::fprintf(stderr, "warning: %s: %d found, %d written, %d verified of %d\n", name,
                     r.found, r.written, r.verified, kDevices);
}

}  // namespace

int main() {
    const Result now = calibrate(1.0, false);
    const Result classic = calibrate(kClassicStoreScale, true);
    warnIfIncomplete("one store wait", now);
    warnIfIncomplete("classic schedule", classic);

    const double bound = wireBound(1.0);
    // What the classic run would have taken with its 60 store waits at their real 5 s.
    const double classicReal =
        classic.seconds + kDevices * (1.0 - kClassicStoreScale) * Timing::kStoreWaitMs / 1000.0;
    std::printf(
        "calibration of %d devices at %d baud, %.0f ms device latency, %d ms response time-out, "
        "10 bits a byte: full scan, %d points, K and B written, verified at point %d\n",
        kDevices, kBaud, kLatencyMs, kTimeoutMs, kPoints, kPoints);
    std::printf("wire-time bound (one %d ms store wait):          %8.3f s\n", Timing::kStoreWaitMs,
                bound);
    std::printf("one store wait for all devices:                  %8.3f s  %6.2f x bound\n",
                now.seconds, now.seconds / bound);
    std::printf(
        "classic schedule, store waits shrunk to %.0f %% (%d ms): %8.3f s  %6.2f x its bound "
        "%.3f s\n",
        kClassicStoreScale * 100.0, static_cast<int>(kClassicStoreScale * Timing::kStoreWaitMs),
        classic.seconds, classic.seconds / wireBound(kClassicStoreScale),
        wireBound(kClassicStoreScale));
    std::printf("classic schedule at the real store wait (projected): %8.3f s  %6.2f x bound\n",
                classicReal, classicReal / bound);
    std::printf("target: one store wait <= 1.50 x bound: %s\n",
                now.seconds / bound <= 1.5 ? "met" : "MISSED");
    return 0;
}
