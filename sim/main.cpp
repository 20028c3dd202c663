// korvelantis-sim: a bus of simulated devices on a pseudo-terminal, until interrupted.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

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
            options.baud = std::atoi(argv[++i]);
            if (options.baud <= 0)
                return usage();
        } else if (a == "--latency-ms" && hasValue) {
            options.latencyMs = std::atof(argv[++i]);
            if (options.latencyMs < 0)
                return usage();
        } else if (a == "--pressure" && hasValue) {
            pressure = std::atof(argv[++i]);
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
