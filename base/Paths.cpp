#include "base/Paths.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path xdgDir(const char* variable, const char* fallbackUnderHome) {
    if (const char* v = std::getenv(variable); v && *v)
        return fs::path(v);
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / fallbackUnderHome;
    return fs::temp_directory_path();
}

bool writableDir(const fs::path& dir) {
    std::error_code ec;
    if (fs::is_directory(dir, ec))
        return ::access(dir.c_str(), W_OK) == 0;
    const fs::path parent = dir.parent_path();
    return fs::is_directory(parent, ec) && ::access(parent.c_str(), W_OK) == 0;
}

}  // namespace

fs::path GetProgramDir() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && exe.has_parent_path())
        return exe.parent_path();
    return fs::current_path(ec);
}

fs::path GetDataDir() {
    const fs::path beside = GetProgramDir() / "Data";
    if (writableDir(beside))
        return beside;
    return xdgDir("XDG_DATA_HOME", ".local/share") / "korvelantis" / "Data";
}

fs::path defaultPresetIniPath() {
    const fs::path beside = GetProgramDir() / "Trelvimo.ini";
    std::error_code ec;
    if (fs::exists(beside, ec))
        return beside;
    return xdgDir("XDG_CONFIG_HOME", ".config") / "korvelantis" / "Trelvimo.ini";
}

bool ensureDirectory(const fs::path& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    return fs::is_directory(dir, ec);
}
