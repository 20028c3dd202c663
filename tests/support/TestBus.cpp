#include "TestBus.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

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
    : sim(options), ctx(messages, testTiming(scale)), baud(options.baud) {}

SerialSettings TestBus::settings() const {
    SerialSettings s;
    s.PortName = sim.portPath();
    s.BaudRate = baud;
    return s;
}

void TestBus::open() {
    if (!ctx.bus.Open(settings()))
        throw std::runtime_error("cannot open the simulated bus");
    messages.clear();
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

std::vector<unsigned char> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}
