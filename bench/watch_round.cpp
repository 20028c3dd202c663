// One watch round of 60 simulated devices at 9600 baud (register 23 of each, after the first
// round has read their blocks), against its wire-time bound: 60 requests and answers of 8 + 7
// bytes at 10 bits a byte plus the devices' latency. The same bound with the inter-frame silence
// the line needs before every request (3.5 characters) is printed beside it. Then the same rounds
// publishing every value to a real broker (mosquitto on a loopback port of its own, QoS 0 and 1),
// against the rounds without: the cost of publishing.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/Timing.h"
#include "live/MqttPublisher.h"
#include "live/Watch.h"
#include "sim/SimBus.h"
#include "state/AppContext.h"
#include "tests/support/LoopbackPort.h"
#include "tests/support/RecordingMessages.h"

namespace {

constexpr int kBaud = 9600;
constexpr double kLatencyMs = 5.0;
constexpr int kDevices = 60;
constexpr int kRounds = 6;  // measured, after the first

double byteSeconds() {
    return 10.0 / kBaud;
}

// Rounds back to back; the time from one round's hand-over to the next one's.
struct Stamps : live::RoundSink {
    std::vector<std::chrono::steady_clock::time_point> at;
    bool take(const live::Round&, const std::vector<live::DeviceState>&) override {
        at.push_back(std::chrono::steady_clock::now());
        return true;
    }
    double meanRound() const {
        return std::chrono::duration<double>(at.back() - at[1]).count() /
               static_cast<double>(at.size() - 2);
    }
};

// Seconds a round takes, on average; publishing to `publisher` when given.
double roundSeconds(live::MqttPublisher* publisher) {
    SimBus::Options o;
    for (int a = 1; a <= kDevices; ++a) o.addresses.push_back(a);
    o.baud = kBaud;
    o.latencyMs = kLatencyMs;
    SimBus sim(o);
    RecordingMessages messages;
    AppContext ctx(messages, Timing{});
    SerialSettings settings;
    settings.PortName = sim.portPath();
    settings.BaudRate = kBaud;
    settings.ResponseTimeoutMs = 50;
    if (!ctx.bus.Open(settings).ok())
        return -1.0;
    live::WatchPlan plan;
    plan.addresses = o.addresses;
    plan.interval = std::chrono::milliseconds(1);
    plan.count = kRounds + 2;
    live::Watch watch(ctx, plan);
    Stamps stamps;
    std::vector<live::RoundSink*> sinks;
    if (publisher)
        sinks.push_back(publisher);
    sinks.push_back(&stamps);
    std::atomic<int> stop{0};
    if (watch.run(stop, sinks) != live::WatchEnd::Done)
        return -1.0;
    for (const auto& d : watch.devices())
        if (d.answers != plan.count)
            return -1.0;
    return stamps.meanRound();
}

// mosquitto on 127.0.0.1:port, ended at destruction.
struct Broker {
    pid_t pid = -1;
    std::string conf;
    explicit Broker(int port) {
        char dir[] = "/tmp/korv-bench-XXXXXX";
        if (!::mkdtemp(dir))
            return;
        conf = std::string(dir) + "/mosquitto.conf";
        std::ofstream(conf) << "listener " << port
                            << " 127.0.0.1\nallow_anonymous true\nlog_dest none\n";
        pid = ::fork();
        if (pid == 0) {
            ::execlp("mosquitto", "mosquitto", "-c", conf.c_str(), nullptr);
            ::_exit(127);
        }
        for (int i = 0; i < 500 && !acceptsConnections(port); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~Broker() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
        std::remove(conf.c_str());
        ::rmdir(conf.substr(0, conf.rfind('/')).c_str());
    }
};

}  // namespace

int main() {
    const double exchange = (8 + 7) * byteSeconds() + kLatencyMs / 1000.0;
    const double bound = kDevices * exchange;
    const double silence =
        kDevices * std::chrono::duration<double>(Timing::interFrameSilence(kBaud, 10)).count();
    const double plain = roundSeconds(nullptr);
    if (plain < 0) {
        std::fprintf(stderr, "the watch round failed\n");
        return 1;
    }
    std::printf("watch round, %d devices at %d baud: %.3f s\n", kDevices, kBaud, plain);
    std::printf(
        "  wire-time bound (60 x 15 bytes at 10 bits + %.0f ms latency): %.3f s, "
        "ratio %.3f x (target <= 1.10 x)\n",
        kLatencyMs, bound, plain / bound);
    std::printf("  with the 3.5-character silence before each request: %.3f s, ratio %.3f x\n",
                bound + silence, plain / (bound + silence));

    const int port = freeLoopbackPort();
    Broker broker(port);
    for (int qos : {0, 1}) {
        live::MqttSettings s;
        s.host = "127.0.0.1";
        s.port = port;
        s.prefix = "bench";
        s.qos = qos;
        live::MqttPublisher publisher(s);
        std::string why;
        if (!publisher.start(why)) {
            std::fprintf(stderr, "the MQTT client did not start: %s\n", why.c_str());
            return 1;
        }
        const double published = roundSeconds(&publisher);
        publisher.finish(std::chrono::seconds(5));
        const auto f = publisher.figures();
        std::printf(
            "  publishing every value (QoS %d, %lld published, %lld dropped): %.3f s, "
            "cost %.2f %% (target <= 2 %%)\n",
            qos, f.published, f.dropped, published, (published / plain - 1.0) * 100.0);
        if (f.published != f.queued || f.connections != 1)
            std::fprintf(stderr, "  not every value reached the broker\n");
    }
    return 0;
}
