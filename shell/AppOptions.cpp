#include "shell/AppOptions.h"

#include "sim/SimBus.h"

bool isKnownLanguage(const std::string& lang) {
    return lang == "en" || lang == "zh";
}

namespace {

std::string unknownLanguage(const std::string& given) {
    return given + ": unknown language, use en or zh";
}

}  // namespace

std::string findLanguageError(const std::vector<std::string>& args, const std::string& envLang) {
    bool given = false;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] != "--lang")
            continue;
        given = true;
        if (!isKnownLanguage(args[i + 1]))
            return unknownLanguage("--lang " + args[i + 1]);
        ++i;
    }
    if (!given && !envLang.empty() && !isKnownLanguage(envLang))
        return unknownLanguage("KORVELANTIS_LANG=" + envLang);
    return {};
}

AppOptionsResult parseAppOptions(const std::vector<std::string>& args, const std::string& envLang) {
    AppOptions o;
    bool devicesGiven = false;
    bool langGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--demo") {
            o.demo = true;
        } else if (a == "--devices" || a == "--screenshots" || a == "--lang") {
            if (i + 1 >= args.size())
                return {std::nullopt, a + " needs a value"};
            const std::string& value = args[++i];
            if (a == "--lang") {
                if (!isKnownLanguage(value))
                    return {std::nullopt, unknownLanguage("--lang " + value)};
                o.lang = value;
                langGiven = true;
                continue;
            }
            if (a == "--screenshots") {
                o.screenshotDir = value;
                continue;
            }
            auto list = parseAddressList(value);
            if (!list || list->empty())
                return {std::nullopt, "--devices wants addresses 1..60 such as 1,7,12,35"};
            o.demoDevices = *list;
            devicesGiven = true;
        } else {
            return {std::nullopt, "unknown option " + a};
        }
    }
    // Devices without the simulated bus would silently do nothing.
    if (devicesGiven && !o.demo)
        return {std::nullopt, "--devices needs --demo"};
    if (!langGiven && !envLang.empty()) {
        if (!isKnownLanguage(envLang))
            return {std::nullopt, unknownLanguage("KORVELANTIS_LANG=" + envLang)};
        o.lang = envLang;
    }
    return {o, {}};
}

const char* appOptionsUsage() {
    return "usage: korvelantis [--demo [--devices 1,7,12,35]] [--screenshots OUTDIR] [--lang "
           "en|zh]\n"
           "       korvelantis --version | --help\n"
           "  --demo         start a simulated bus in the program and select its port\n"
           "  --devices      addresses of the simulated devices (default 1,7,12,35)\n"
           "  --screenshots  write one PNG of every page and dialog into OUTDIR and exit\n"
           "  --lang         show the window in English (en) or Chinese (zh); default: its own\n"
           "                 texts; KORVELANTIS_LANG says the same, --lang wins\n";
}

InfoRequest findInfoRequest(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--version")
            return InfoRequest::Version;
        if (a == "--help" || a == "-h")
            return InfoRequest::Help;
    }
    return InfoRequest::None;
}
