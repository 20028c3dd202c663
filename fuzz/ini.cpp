// A preset INI's bytes, GBK or UTF-8 or neither: parsed and applied as both presets.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/ParameterFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const config::IniFile ini =
        config::IniFile::parse(std::string(reinterpret_cast<const char*>(data), size));
    for (const config::Preset p : {config::Preset::Level, config::Preset::Temperature}) {
        config::BasicConfigModel m;
        config::applyPreset(m, ini, p);
    }
    return 0;
}
