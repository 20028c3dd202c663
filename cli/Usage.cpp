#include "cli/Usage.h"

#include "cli/Commands.h"

namespace cli {

namespace {

constexpr const char* kOptions =
    "options (before or after the command; --option=value as well as --option value):\n"
    "  --port PATH     the serial port (default: $KORVELANTIS_PORT); tcp:HOST:PORT for RTU\n"
    "                  frames over TCP (a serial device server, whose line settings apply)\n"
    "  --simulate 1,7,12  a simulated bus of devices at these addresses instead of a port\n"
    "  --baud N        300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600 or 115200\n"
    "  --parity none|even|odd  (also \"No parity\", \"even parity\", \"Odd parity\")\n"
    "  --data-bits 8|7  --stop-bits 1|1.5|2\n"
    "  --timeout-ms N  wait the wire time plus N ms (20..5000) for an answer (default: the\n"
    "                  classic waits of each exchange)\n"
    "  --time-scale X  every wait shrunk by X (0 < X <= 1); with --simulate only\n"
    "  --rs485         the kernel's RS-485 mode (RTS on send) for a native UART\n"
    "  --json          one JSON document on standard output, failures included (\"ok\": false,\n"
    "                  \"error\"); messages stay on standard error\n"
    "  --trace         every frame to standard error, one line each:\n"
    "                  TIME_MS TX|RX ADDR FUNC good|bad OUTCOME LATENCY_MS BYTES\n"
    "  --quiet         no messages but those of a failed run\n"
    "  --lang en|zh    messages in English (default) or Chinese (also $KORVELANTIS_LANG)\n"
    "  --help, -h      this text (korvelantis-cli COMMAND --help: that command's)\n";

constexpr const char* kHooks =
    "hooks (--apply, --measure): run by /bin/sh; one that runs longer than --hook-timeout-s\n"
    "  (default 600) is ended with its process group and the command fails (exit 3)\n";

constexpr const char* kExitStatus =
    "exit status: 0 done; 2 usage error (nothing was done); 3 failed (collect: a sample\n"
    "  was not taken or not written; watch: a CSV row not written, a value that did not\n"
    "  reach the broker); 4 the port did not open; 5 read: a code no list can show\n";

}  // namespace

std::string usageText(std::string_view command) {
    std::string text;
    bool hooks = command.empty();
    for (const Command& c : commands())
        if (command.empty() || command == c.name) {
            text += c.usage;
            hooks = hooks || c.runsHooks;
        }
    if (!command.empty() && text.empty())
        return usageText({});
    std::string out =
        "usage: korvelantis-cli [OPTIONS] " +
        (command.empty() ? std::string("COMMAND [ARGUMENTS]") : std::string(command) + " ...") +
        "\n       korvelantis-cli --version\n" + std::string(kOptions) + "commands:\n" + text;
    if (hooks)
        out += kHooks;
    return out + kExitStatus;
}

}  // namespace cli
