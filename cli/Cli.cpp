#include "cli/Cli.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "link/RegisterMap.h"
#include "shell/AppContext.h"
#include "sim/SimBus.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: korvelantis-cli [--port PATH | --simulate 1,7,12] [--baud N]\n"
                 "         [--parity \"No parity\"|\"Odd parity\"|\"even parity\"]\n"
                 "         [--data-bits 8|7] [--stop-bits 1|1.5|2] COMMAND\n"
                 "commands:\n"
                 "  scan [--all]\n");
    return 2;
}

}  // namespace

int runCli(int argc, char** argv) {
    SerialSettings settings;
    std::unique_ptr<SimBus> sim;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--", 0) != 0)
            break;
        if (i + 1 >= argc)
            return usage();
        const std::string v = argv[++i];
        if (a == "--port") {
            settings.PortName = v;
        } else if (a == "--simulate") {
            auto list = parseAddressList(v);
            if (!list)
                return usage();
            SimBus::Options o;
            o.addresses = *list;
            sim = std::make_unique<SimBus>(o);
            settings.PortName = sim->portPath();
        } else if (a == "--baud") {
            settings.BaudRate = std::atoi(v.c_str());
        } else if (a == "--parity") {
            settings.Parity = v;
        } else if (a == "--data-bits") {
            settings.DataBits = std::atoi(v.c_str());
        } else if (a == "--stop-bits") {
            settings.StopBits = v;
        } else {
            return usage();
        }
    }
    if (i >= argc)
        return usage();
    const std::string command = argv[i++];
    StderrMessages messages;
    RecordingMessages quiet;
    AppContext ctx(messages);
    if (!ctx.bus.Open(settings)) {
        std::fprintf(stderr, "%s\n", ctx.bus.lastOpenFailure().c_str());
        return 4;
    }
    if (command == "scan") {
        bool any = false;
        for (int a = 1; a <= 60; ++a) {
            auto r = ctx.bus.readInputRegisters(static_cast<std::uint8_t>(a), reg::kBlockFirst,
                                                reg::kBlockCount, Timing::kScanWaitMs);
            if (!r.ioOk)
                return 3;
            if (r.crcOk()) {
                std::printf("%d\n", a);
                any = true;
            }
        }
        if (!any) {
            messages.show("No online device");
            return 3;
        }
        return 0;
    }
    return usage();
}
