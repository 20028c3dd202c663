#pragma once
// Where the program and its files live.

#include <filesystem>

// The directory of the program file ("/proc/self/exe"); the working directory when unknown.
std::filesystem::path GetProgramDir();
// "Data" beside the program when that can be written, else $XDG_DATA_HOME/korvelantis/Data
// (~/.local/share/korvelantis/Data). Not created here.
std::filesystem::path GetDataDir();
// "Trelvimo.ini" beside the program when it exists there, else
// $XDG_CONFIG_HOME/korvelantis/Trelvimo.ini (~/.config/korvelantis/Trelvimo.ini).
std::filesystem::path defaultPresetIniPath();
// Creates the directory (and its parents); false when it does not exist afterwards.
bool ensureDirectory(const std::filesystem::path& dir);
