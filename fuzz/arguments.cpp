// The command lines of the window and of korvelantis-cli: arguments separated by NUL bytes.
// The command line always gets a port that cannot open, so a command that parses ends at the
// port (exit 4) and never touches a device; arguments naming another port, a simulated bus,
// a file to write or a command to run are left out, as they would reach outside the harness.
// scripts/fuzz closes standard output and error for the harnesses (-close_fd_mask), so usage texts
// do not flood it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "shell/AppOptions.h"

namespace {

std::vector<std::string> argumentsOf(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back().push_back(static_cast<char>(data[i]));
    }
    return args;
}

bool reachesOutside(const std::string& a) {
    // --apply and --measure run commands of the operator's; "--port=..." is "--port ...".
    const std::string name = a.substr(0, a.find('='));
    return name == "--port" || name == "--simulate" || a == "export" || a == "collect" ||
           name == "--dir" || name == "--tcp" || name == "--apply" || name == "--measure" ||
           name == "--report" || name == "--png" || name == "--csv";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> args = argumentsOf(data, size);

    (void)parseAppOptions(args);
    (void)findInfoRequest(args);

    std::vector<std::string> cli{"korvelantis-cli", "--port", "/nonexistent/korvelantis-fuzz"};
    for (const std::string& a : args) {
        if (reachesOutside(a))
            return 0;
        cli.push_back(a);
    }
    std::vector<char*> argv;
    for (std::string& a : cli) argv.push_back(a.data());
    argv.push_back(nullptr);
    (void)runCli(static_cast<int>(cli.size()), argv.data());
    return 0;
}
