#include "shell/LockKeys.h"

#include <fstream>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

LockKeyState readLockKeys(const fs::path& ledsDir) {
    LockKeyState s;
    std::error_code ec;
    for (fs::directory_iterator it(ledsDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const auto sep = name.rfind("::");
        if (sep == std::string::npos)
            continue;
        const std::string function = name.substr(sep + 2);
        bool* target = function == "capslock"     ? &s.caps
                       : function == "numlock"    ? &s.num
                       : function == "scrolllock" ? &s.scroll
                                                  : nullptr;
        if (!target)
            continue;
        std::ifstream in(it->path() / "brightness");
        int brightness = 0;
        if (in >> brightness && brightness > 0)
            *target = true;
    }
    return s;
}
