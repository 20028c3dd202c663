#pragma once
// The window program's own command line:
//   korvelantis [--demo [--devices 1,7,12,35]] [--screenshots OUTDIR] [--lang en|zh]

#include <optional>
#include <string>
#include <vector>

struct AppOptions {
    bool demo = false;
    std::vector<int> demoDevices{1, 7, 12, 35};
    std::string screenshotDir;  // empty: a normal run
    // The window's language: empty shows the texts as they are (English and Chinese mixed),
    // "en" all in English, "zh" all in Chinese.
    std::string lang;
};

struct AppOptionsResult {
    std::optional<AppOptions> options;  // nullopt: `error` says why
    std::string error;
};

// `args` without the program name. Qt's own options (-platform ...) are removed before.
// `envLang` is KORVELANTIS_LANG (empty when unset); --lang wins over it.
AppOptionsResult parseAppOptions(const std::vector<std::string>& args,
                                 const std::string& envLang = {});

// The languages the window can be shown in besides its own texts.
bool isKnownLanguage(const std::string& lang);
// parseAppOptions' message for an unknown language (empty: none), answered before the window's
// platform starts like --help, so it reaches a terminal without a display.
std::string findLanguageError(const std::vector<std::string>& args, const std::string& envLang);

const char* appOptionsUsage();

// --version and --help are answered before the window's platform starts, so they work on a
// terminal without a display.
enum class InfoRequest { None, Version, Help };
InfoRequest findInfoRequest(const std::vector<std::string>& args);
