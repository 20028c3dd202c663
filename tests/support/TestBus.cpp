#include "TestBus.h"
#include "tests/support/FakeClock.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "state/ReportStatus.h"

int told(OperatorMessages& messages, const Status& status) {
    reportStatus(messages, status);
    return status.ok() ? 1 : 0;
}

Timing testTiming(double scale) {
    Timing t;
    t.scale = scale;
    return t;
}

namespace {
SimBus::Options simOptions(std::vector<int> addresses, int baud, double latencyMs) {
    SimBus::Options o;
    o.addresses = std::move(addresses);
    o.baud = baud;
    o.latencyMs = latencyMs;
    return o;
}
}  // namespace

TestBus::TestBus(std::vector<int> addresses, double scale, int baud, double latencyMs,
                 std::shared_ptr<Clock> clock)
    : sim(simOptions(std::move(addresses), baud, latencyMs)),
      ctx(messages, testTiming(scale), std::move(clock)) {}

TestBus::TestBus(SimBus::Options options, double scale)
    : sim(options), ctx(messages, testTiming(scale)), baud(options.baud), lineClock(options.clock) {
    if (options.clock)
        ctx.bus.attachLine(sim.line(), options.clock);
}

SimBus::Options TestBus::inProcess(std::vector<int> addresses, int baud, double latencyMs) {
    SimBus::Options o = simOptions(std::move(addresses), baud, latencyMs);
    o.clock = lineClockOfItsOwn();
    return o;
}

std::shared_ptr<FakeClock> TestBus::lineClockOfItsOwn() {
    auto clock = std::make_shared<FakeClock>(makeLocalTime(2024, 12, 7, 9, 0));
    // Far from the epoch, as a machine's steady clock is: "never" lies well behind.
    clock->advance(std::chrono::hours(1));
    return clock;
}

std::chrono::steady_clock::time_point TestBus::now() const {
    return lineClock ? lineClock->steadyNow() : std::chrono::steady_clock::now();
}

SerialSettings TestBus::settings() const {
    SerialSettings s;
    s.PortName = sim.portPath();
    s.BaudRate = baud;
    return s;
}

void TestBus::open() {
    if (!ctx.bus.Open(settings()).ok())
        throw std::runtime_error("cannot open the simulated bus");
    messages.clear();
}

void TestBus::pass(std::chrono::milliseconds d) {
    if (auto* fake = dynamic_cast<FakeClock*>(lineClock.get()))
        fake->advance(d);
    else
        std::this_thread::sleep_for(d);
}

std::vector<std::pair<int, int>> requestOrder(const SimBus& sim) {
    std::vector<std::pair<int, int>> out;
    for (const auto& f : sim.framesReceived())
        if (f.bytes.size() > 1)
            out.emplace_back(f.bytes[0], f.bytes[1]);
    return out;
}

ProgressTrail::ProgressTrail(const Progress& progress) : progress_(progress) {
    thread_ = std::thread([this] {
        while (!stop_.load()) {
            const ProgressSnapshot s = progress_.snapshot();
            const std::string format = s.parts.empty() ? std::string() : s.parts.front().format;
            if (!format.empty() && (trail_.empty() || trail_.back() != format))
                trail_.push_back(format);
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });
}

ProgressTrail::~ProgressTrail() {
    stop();
}

std::vector<std::string> ProgressTrail::stop() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    return trail_;
}

int ProgressTrail::count(const std::vector<std::string>& trail, const char* format) {
    int n = 0;
    for (const std::string& f : trail) n += f == format;
    return n;
}

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "korv-test-XXXXXX").string();
    if (!::mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string readFileText(const std::string& path) {
    const std::vector<unsigned char> bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<unsigned char> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}
