// korvelantis-sim: a bus of simulated devices on a pseudo-terminal (or on a TCP port), until
// interrupted.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/NumberText.h"
#include "base/Version.h"
#include "link/DeviceAddress.h"
#include "sim/SimBus.h"
#include "sim/SimControl.h"
#include "sim/SimTcpServer.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) {
    g_stop = 1;
}

int usage() {
    std::fprintf(
        stderr,
        "usage: korvelantis-sim --version\n"
        "       korvelantis-sim --devices 1,7,12 [--baud 9600] [--latency-ms 5] "
        "[--pressure P] [--link PATH]\n"
        "         [--fault ADDR:silent|bad-crc|short|garbage|refuse|ignore-writes|late=MS|"
        "stream=MS|exception=CODE]...\n"
        "         [--strict-silence]  a request sooner than 3.5 characters after the line's\n"
        "                             last byte is lost, as real devices lose it\n"
        "         [--echo]            the line hands back every byte the master sends\n"
        "         [--chunks]          bytes arrive in pieces of 1-8, 1-16 ms apart (USB)\n"
        "         [--counting ADDR]   register 23 of ADDR counts the reads of it\n"
        "         [--tcp PORT]        serve the bus on 127.0.0.1:PORT (0: a free port) and\n"
        "                             print its port name tcp:127.0.0.1:PORT\n"
        "         [--control PATH]    accept the applied pressure on the Unix socket PATH\n"
        "       korvelantis-sim --control PATH --set-pressure P\n"
        "                             sets the applied pressure of the simulator listening at\n"
        "                             PATH; returns once it is applied\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    SimBus::Options options;
    double pressure = 0.0;
    std::map<int, SimFaults> faults;
    std::vector<int> counting;
    std::optional<int> tcpPort;
    std::string controlPath;
    std::optional<std::string> setPressure;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--version") {
            printVersion("korvelantis-sim");
            return 0;
        }
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
        } else if (a == "--strict-silence") {
            options.strictSilence = true;
        } else if (a == "--echo") {
            options.echo = true;
        } else if (a == "--chunks") {
            options.chunks = true;
        } else if (a == "--link" && hasValue) {
            options.linkPath = argv[++i];
        } else if (a == "--fault" && hasValue) {
            if (!parseFault(argv[++i], faults))
                return usage();
        } else if (a == "--tcp" && hasValue) {
            const auto port = num::parseInteger(argv[++i], 0, 65535);
            if (!port)
                return usage();
            tcpPort = static_cast<int>(*port);
        } else if (a == "--control" && hasValue) {
            controlPath = argv[++i];
        } else if (a == "--set-pressure" && hasValue) {
            setPressure = argv[++i];
            if (!num::parseDouble(*setPressure))
                return usage();
        } else if (a == "--counting" && hasValue) {
            const auto address =
                num::parseInteger(argv[++i], device_address::kFirst, device_address::kLast);
            if (!address)
                return usage();
            counting.push_back(static_cast<int>(*address));
        } else {
            return usage();
        }
    }
    if (setPressure) {
        if (controlPath.empty())
            return usage();
        const auto reply = sendSimControl(controlPath, "pressure " + *setPressure);
        if (reply != "ok") {
            std::fprintf(stderr, "korvelantis-sim: %s: %s\n", controlPath.c_str(),
                         reply ? reply->c_str() : "no simulator answers");
            return 1;
        }
        return 0;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    try {
        SimBus bus(options);
        bus.setAppliedPressure(pressure);
        for (const auto& [address, f] : faults) bus.setFaults(address, f);
        for (int address : counting) bus.setCountingReads(address, true);
        std::unique_ptr<SimTcpServer> server;
        if (tcpPort)
            server = std::make_unique<SimTcpServer>(bus.portPath(), *tcpPort);
        std::unique_ptr<SimControlServer> control;
        if (!controlPath.empty())
            control = std::make_unique<SimControlServer>(bus, controlPath);
        std::printf("%s\n", server ? server->portName().c_str() : bus.portPath().c_str());
        std::fflush(stdout);
        while (!g_stop) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korvelantis-sim: %s\n", e.what());
        return 1;
    }
    return 0;
}
