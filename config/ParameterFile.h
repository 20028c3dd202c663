#pragma once
// Parameter files ("*.txt") and the preset INI file.
//
// Parameter file layout: exactly 19 lines "key=value", GBK (code page 936; "℃" is A1 E6, "℉" is
// A8 48), every line ending with the three bytes 0D 0D 0A. Keys, in order: signalType,
// signalUnit, rangeStart, rangeEnd, outputType, dotPos, k1Type, k1Action, k1Release, k1Delay,
// k2Type, k2Action, k2Release, k2Delay, pressureOutput (the output voltage list), currentOutput,
// rangeZstart, rangeZend, density. The value is the text the control shows. Reading takes the
// n-th line for the n-th control whatever its key, and accepts 0D 0D 0A, 0D 0A and 0A endings.
//
// Preset INI: sections "液位" (level) and "温度" (temperature), GBK (UTF-8 with a byte-order mark
// is accepted too); names compare without regard to case; a value is at most 19 bytes of GBK.

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/ParameterModel.h"

namespace config {

constexpr std::size_t kParameterLineCount = 19;
extern const std::array<const char*, kParameterLineCount> kParameterFileKeys;

// The 19 values as the page shows them, UTF-8.
std::array<std::string, kParameterLineCount> parameterFileValues(const BasicConfigModel& m);
// The file's bytes: GBK, 0D 0D 0A line ends.
std::string encodeParameterFile(const std::array<std::string, kParameterLineCount>& values);
// Writes the file; false with a reason when it cannot be created or written.
bool writeParameterFile(const std::filesystem::path& path, const BasicConfigModel& m,
                        std::string* error);

// The values of a file's bytes (UTF-8); lines missing at the end give empty values.
std::array<std::string, kParameterLineCount> decodeParameterFile(const std::string& bytes);
// nullopt when the file cannot be read.
std::optional<std::array<std::string, kParameterLineCount>> readParameterFile(
    const std::filesystem::path& path);
// Values into the page: lists select by the list rule, edits take the text; then the density
// edit's state, the unit labels and the output-type rules follow.
void applyParameterFile(BasicConfigModel& m,
                        const std::array<std::string, kParameterLineCount>& values);
// The first line (0-based) whose value is meant for a list but names none of its entries
// (case ignored); the page would keep or guess that selection. nullopt when every one does.
std::optional<std::size_t> firstUnknownChoice(
    const BasicConfigModel& m, const std::array<std::string, kParameterLineCount>& values);
// The unit labels and output-type rules alone (what a failed import still does).
void refreshAfterImport(BasicConfigModel& m);

class IniFile {
public:
    // A missing or unreadable file is an empty one.
    static IniFile load(const std::filesystem::path& path);
    static IniFile parse(const std::string& bytes);
    // The value as a 20-byte profile buffer holds it, UTF-8; `fallback` when the key is missing.
    std::string get(const std::string& section, const std::string& key,
                    const std::string& fallback) const;

private:
    // section (lower case) -> key (lower case) -> raw bytes
    std::map<std::string, std::map<std::string, std::string>> sections_;
    bool utf8_ = false;
};

enum class Preset { Level, Temperature };
// Fills the page from the preset's section: "Signal type:" selects the preset's own type
// ("level" or "Temperature"), the density edit follows it, the other keys select or set their
// controls, then the unit labels and output-type rules follow.
void applyPreset(BasicConfigModel& m, const IniFile& ini, Preset preset);

}  // namespace config
