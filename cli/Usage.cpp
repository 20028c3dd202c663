#include "cli/Usage.h"

#include <utility>

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

constexpr std::pair<const char*, const char*> kCommands[] = {
    {"scan",
     "  scan                      the first device that answers\n"
     "  scan --all                every online address 1..60; then the devices that\n"
     "                            refused and the answers that failed their CRC\n"
     "                            or came cut\n"
     "  scan [--all] --stats      ... and then the figures of every address polled\n"},
    {"read",
     "  read ADDR                 the parameters of ADDR as a parameter file; exit 5\n"
     "                            when a line reads \"(code N)\": a code no list can\n"
     "                            show, which download refuses\n"},
    {"download",
     "  download ADDR FILE        switch and output parameters of FILE to ADDR, read\n"
     "                            back: \"ADDR: verified\" or what it holds instead\n"
     "  download --all FILE       every online device (a full scan first) gets all\n"
     "                            parameters of FILE at once (address 127), then each\n"
     "                            is read back, one line each; exit 0 only when every\n"
     "                            one verifies\n"},
    {"configure",
     "  configure ADDRESS PRODUCT_CODE [--force]\n"
     "                            new address and product code (address 127), then\n"
     "                            read at the new address; refused when more than one\n"
     "                            device answers, unless --force\n"},
    {"calibrate",
     "  calibrate --points 2|3|5 [--range START END] [--dot 0000|000.0|00.00|0.000]\n"
     "            [--signal Pressure|Temperature|level] [--density D]\n"
     "            [--apply 'CMD {target}'] [--hook-timeout-s S] [--report FILE]\n"
     "                            sensor calibration of every online device: the settings\n"
     "                            of the highest online device unless given; at each point\n"
     "                            CMD runs with {target} replaced, and $KORVELANTIS_TARGET\n"
     "                            and $KORVELANTIS_UNIT set (without --apply the terminal\n"
     "                            asks); K and B written, verified at the last point; one\n"
     "                            row per device; --report keeps the CSV report\n"},
    {"output-calibrate",
     "  output-calibrate current|voltage [--measure 'CMD {point}'] [--hook-timeout-s S]\n"
     "                            low and high output commands to every online device (each\n"
     "                            must have that output); the measured value is CMD's first\n"
     "                            line ({point} and $KORVELANTIS_POINT: low, high;\n"
     "                            $KORVELANTIS_UNIT: mA or V) or typed at the terminal;\n"
     "                            slope and offset written and read back\n"},
    {"collect",
     "  collect ADDR --interval-s S --count N [--dot 0000|000.0|00.00|0.000] [--dir DIR]\n"
     "          [--max-misses M]  N samples of ADDR, one every S seconds, into a new\n"
     "                            record file (its path on standard output), at the\n"
     "                            device's own point position unless --dot; ends after\n"
     "                            M samples in a row without an answer (default 3)\n"},
    {"watch",
     "  watch --all|ADDR[,ADDR...] --interval-s S [--count N] [--max-misses M]\n"
     "        [--csv FILE] [--mqtt HOST[:PORT] [--topic PREFIX] [--qos 0|1]]\n"
     "                            register 23 of every device (--all: every online one,\n"
     "                            a full scan first) each S seconds, at its own point\n"
     "                            position and unit, one line a round, N rounds (else\n"
     "                            until a signal); offline after M rounds without an\n"
     "                            answer (default 3); --csv appends time,address,value,\n"
     "                            unit rows; --mqtt publishes PREFIX/ADDR/value,\n"
     "                            PREFIX/ADDR/online, PREFIX/status (default prefix\n"
     "                            korvelantis, port 1883, QoS 0)\n"},
    {"import", "  import FILE               fields, records and points of a record file\n"},
    {"export",
     "  export FILE [--csv OUT] [--png OUT]\n"
     "                            a record file as CSV (UTF-8, ISO 8601 times) and/or its\n"
     "                            curve as a PNG image; never over a record file\n"},
};

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
    for (auto [name, lines] : kCommands)
        if (command.empty() || command == name)
            text += lines;
    if (!command.empty() && text.empty())
        return usageText({});
    std::string out =
        "usage: korvelantis-cli [OPTIONS] " +
        (command.empty() ? std::string("COMMAND [ARGUMENTS]") : std::string(command) + " ...") +
        "\n       korvelantis-cli --version\n" + std::string(kOptions) + "commands:\n" + text;
    if (command.empty() || command == "calibrate" || command == "output-calibrate")
        out += kHooks;
    return out + kExitStatus;
}

}  // namespace cli
