// korvelantis-sim: a bus of simulated devices on a pseudo-terminal, until interrupted.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "common/NumberText.h"
#include "sim/SimBus.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) {
    g_stop = 1;
}

int usage() {
    std::fprintf(stderr,
                 "usage: korvelantis-sim --devices 1,7,12 [--baud 9600] [--latency-ms 5] "
                 "[--pressure P] [--link PATH]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    SimBus::Options options;
    double pressure = 0.0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--devices" && hasValue) {
            auto list = parseAddressList(argv[++i]);
            if (!list)
                return usage();
            options.addresses = *list;
        } else if (a == "--baud" && hasValue) {
            const auto baud = num::parseInteger(argv[++i], 1, 4000000);
            if (!baud)
                return usage();
            options.baud = static_cast<int>(*baud);
        } else if (a == "--latency-ms" && hasValue) {
            const auto latency = num::parseDouble(argv[++i]);
            if (!latency || *latency < 0)
                return usage();
            options.latencyMs = *latency;
        } else if (a == "--pressure" && hasValue) {
            const auto p = num::parseDouble(argv[++i]);
            if (!p)
                return usage();
            pressure = *p;
        } else if (a == "--link" && hasValue) {
            options.linkPath = argv[++i];
        } else {
            return usage();
        }
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    try {
        SimBus bus(options);
        bus.setAppliedPressure(pressure);
        std::printf("%s\n", bus.portPath().c_str());
        std::fflush(stdout);
        while (!g_stop) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korvelantis-sim: %s\n", e.what());
        return 1;
    }
    return 0;
}
