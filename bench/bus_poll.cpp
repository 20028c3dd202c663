// The searches of a simulated bus at 9600 baud, against the wire-time lower bound:
// - 60 devices present: the classic fixed sleeps, the early-returning "Classic" exchange and a
//   50 ms response time-out;
// - full scan and ordinary search of a bus holding only device 60, of an empty bus, and the full
//   scan of a bus with two devices, with "Classic" and with 50 ms.
// The "Classic" runs wait for every silent address in full (about a minute and a half each); they
// run side by side on buses of their own, as they only wait.
// - the full scan of 60 devices on the lines of real adapters and devices (devices that lose a
//   request sent without the inter-frame silence, an adapter that echoes, answers handed over in
//   USB pieces, all of them), with 50 ms and "Classic", against the wire time with the silences
//   (and the hand-over delay the simulated adapter reports);
// - the 50 ms full scan of 60 devices with the bus monitor open (the real window, drawn
//   off-screen, draining on its timer while the scan runs on a worker), against the same scan
//   without it: the monitor's overhead.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "config/DeviceSearch.h"
#include "sim/SimBus.h"
#include "state/AppContext.h"
#include "tests/support/RecordingMessages.h"

#ifdef KORV_BENCH_MONITOR
#include <QApplication>

#include "shell/qt/BusFrameModel.h"
#include "shell/qt/BusMonitorWindow.h"
#endif

namespace {

constexpr int kBaud = 9600;
constexpr double kLatencyMs = 5.0;
constexpr int kRequestBytes = 8;
constexpr int kAnswerBytes = 43;

struct Scenario {
    std::string name;
    std::vector<int> devices;
    bool fullScan;
};

struct LineCondition {
    const char* name;
    bool strictSilence = false;
    bool echo = false;
    bool chunks = false;
};

struct Mode {
    const char* name;
    int timeoutMs;     // 0: "Classic"
    bool fixedSleeps;  // the classic program: sleep the whole wait, then read
};

double wireSeconds(int bytes) {
    return bytes * 10.0 / kBaud;
}

// Every polled address costs at least its request's wire time; a device that answers adds its
// latency and its answer's wire time.
double wireBound(const Scenario& s) {
    int polled = 60;
    if (!s.fullScan && !s.devices.empty())
        polled = s.devices.front();  // the ordinary search stops at the first device
    double bound = polled * wireSeconds(kRequestBytes);
    for (int a : s.devices)
        if (a <= polled)
            bound += kLatencyMs / 1000.0 + wireSeconds(kAnswerBytes);
    return bound;
}

// The hand-over delay the simulated adapter added in the last run, in seconds.
double g_handover = 0.0;

double run(const Scenario& s, const Mode& m, bool monitored = false,
           const LineCondition& line = {"clean"}) {
    SimBus::Options o;
    o.addresses = s.devices;
    o.baud = kBaud;
    o.latencyMs = kLatencyMs;
    o.strictSilence = line.strictSilence;
    o.echo = line.echo;
    o.chunks = line.chunks;
    SimBus sim(o);
    RecordingMessages messages;
    Timing timing;
    timing.earlyReturn = !m.fixedSleeps;
    AppContext ctx(messages, timing);
    SerialSettings settings;
    settings.PortName = sim.portPath();
    settings.BaudRate = kBaud;
    settings.ResponseTimeoutMs = m.timeoutMs;
    if (!ctx.bus.Open(settings).ok())
        return -1.0;
    config::SearchState st;
    auto search = [&] {
        if (s.fullScan)
            config::ScanAllDevices(ctx, st);
        else
            config::ScanFirstDevice(ctx, st);
    };
    const auto t0 = std::chrono::steady_clock::now();
    double took = 0.0;
    auto stop = [&] {
        took = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    };
    if (!monitored) {
        search();
        stop();
    }
#ifdef KORV_BENCH_MONITOR
    else {
        BusMonitorWindow monitor(ctx);
        monitor.show();
        std::atomic<bool> done{false};
        std::thread worker([&] {
            search();
            stop();
            done = true;
        });
        // The window's thread as in the program: events, the monitor's timer, painting.
        while (!done) QApplication::processEvents(QEventLoop::AllEvents, 10);
        worker.join();
        monitor.drain();
        const int expected = 60 + static_cast<int>(s.devices.size());
        if (monitor.frames()->rowCount() != expected)
            std::fprintf(stderr, "warning: the monitor shows %d of %d frames\n",
                         monitor.frames()->rowCount(), expected);
    }
#endif
    const std::size_t expected = s.fullScan ? s.devices.size() : (s.devices.empty() ? 0 : 1);
    const std::size_t found =
        s.fullScan ? ctx.onlineAddresses().size() : (ctx.CurrentAddress.load() != 0 ? 1 : 0);
    if (found != expected)
        std::fprintf(stderr, "warning: %s (%s, %s line): %zu of %zu devices found\n",
                     s.name.c_str(), m.name, line.name, found, expected);
    g_handover = std::chrono::duration<double>(sim.handoverDelay()).count();
    return took;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef KORV_BENCH_MONITOR
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    (void)argc;
    (void)argv;
#endif
    std::vector<int> all;
    for (int a = 1; a <= 60; ++a) all.push_back(a);
    const std::vector<Scenario> scenarios{
        {"full scan, 60 devices", all, true},
        {"full scan, only device 60", {60}, true},
        {"full scan, empty bus", {}, true},
        {"full scan, devices 1 and 60", {1, 60}, true},
        {"ordinary search, only device 60", {60}, false},
        {"ordinary search, empty bus", {}, false},
    };
    const Mode fixed{"fixed sleeps", 0, true};
    const Mode classic{"Classic", 0, false};
    const Mode fifty{"50 ms", 50, false};

    // The slow ones side by side, then the fast ones one at a time so they measure cleanly.
    std::vector<std::future<double>> slow;
    slow.push_back(std::async(std::launch::async, [&] { return run(scenarios[0], fixed); }));
    for (const Scenario& s : scenarios)
        slow.push_back(std::async(std::launch::async, [&s, &classic] { return run(s, classic); }));
    std::vector<double> slowS;
    for (auto& f : slow) slowS.push_back(f.get());
    std::vector<double> fastS;
    for (const Scenario& s : scenarios) fastS.push_back(run(s, fifty));

    std::printf("searches at %d baud, %.0f ms device latency, 10 bits a byte\n", kBaud, kLatencyMs);
    std::printf("%-34s %9s %9s %9s %9s %9s\n", "", "bound s", "Classic s", "x bound", "50 ms s",
                "x bound");
    for (std::size_t i = 0; i < scenarios.size(); ++i) {
        const double bound = wireBound(scenarios[i]);
        const double c = slowS[i + 1];
        const double f = fastS[i];
        std::printf("%-34s %9.3f %9.3f %9.2f %9.3f %9.2f\n", scenarios[i].name.c_str(), bound, c,
                    c / bound, f, f / bound);
    }
    const double bound60 = wireBound(scenarios[0]);
    std::printf(
        "full scan, 60 devices, fixed sleeps of the classic program: %.3f s (%.2f x bound)\n",
        slowS[0], slowS[0] / bound60);
    // Each line condition: the wire time plus a silence before every request after the first,
    // plus what the adapter added handing the answers over.
    const LineCondition lines[] = {{"clean"},
                                   {"strict silence", true},
                                   {"echo", false, true},
                                   {"USB pieces", false, false, true},
                                   {"all of them", true, true, true}};
    const double silence = kBaud > 19200 ? 0.00175 : 3.5 * 10.0 / kBaud;
    const double lineBound = bound60 + 59 * silence;
    std::printf("full scan, 60 devices, on each line (bound: wire time + silences + hand-over)\n");
    std::printf("%-34s %9s %9s %9s %9s %9s\n", "", "bound s", "Classic s", "x bound", "50 ms s",
                "x bound");
    bool allMet = true;
    for (const LineCondition& line : lines) {
        const double c = run(scenarios[0], classic, false, line);
        const double cBound = lineBound + g_handover;
        const double f = run(scenarios[0], fifty, false, line);
        const double fBound = lineBound + g_handover;
        allMet = allMet && c / cBound <= 1.10 && f / fBound <= 1.10;
        std::printf("%-34s %9.3f %9.3f %9.2f %9.3f %9.2f\n", line.name, fBound, c, c / cBound, f,
                    f / fBound);
    }
    std::printf("target: every line <= 1.10 x its bound: %s\n", allMet ? "met" : "MISSED");
#ifdef KORV_BENCH_MONITOR
    // Alternating, so both see the same machine; the median of three each.
    std::vector<double> plain, monitored;
    for (int i = 0; i < 3; ++i) {
        plain.push_back(run(scenarios[0], fifty));
        monitored.push_back(run(scenarios[0], fifty, true));
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double p = median(plain);
    const double mon = median(monitored);
    std::printf(
        "full scan, 60 devices, 50 ms, bus monitor open: %.3f s (%.3f x bound; without it "
        "%.3f s, %.3f x bound): overhead %+.1f %% (<= 1.10 x bound: %s)\n",
        mon, mon / bound60, p, p / bound60, 100.0 * (mon / p - 1.0),
        mon / bound60 <= 1.10 ? "met" : "MISSED");
#endif
    std::printf(
        "targets: 50 ms full scan of two devices %.3f s (<= 5 s: %s); "
        "60 devices %.3f x bound (<= 1.10: %s)\n",
        fastS[3], fastS[3] <= 5.0 ? "met" : "MISSED", fastS[0] / bound60,
        fastS[0] / bound60 <= 1.10 ? "met" : "MISSED");
    return 0;
}
