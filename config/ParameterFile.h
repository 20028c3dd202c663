#pragma once
// Parameter files ("*.txt") and the preset INI file.
//
// Parameter file layout: 19 lines "key=value" (the keys of config/ParameterTable.h), GBK (code page
// 936; "℃" is A1 E6, "℉" is A8 48), every line ending with the three bytes 0D 0D 0A. The program
// writes the keys in this order: signalType, signalUnit, rangeStart, rangeEnd, outputType, dotPos,
// k1Type, k1Action, k1Release, k1Delay, k2Type, k2Action, k2Release, k2Delay, pressureOutput (the
// output voltage list), currentOutput, rangeZstart, rangeZend, density. The value is the text the
// control shows. Reading goes by key: every key once, in any order; a missing, unknown or repeated
// key refuses the whole file. Empty lines are skipped; 0D 0D 0A, 0D 0A and 0A endings are accepted,
// and so is a leading UTF-8 byte-order mark.
//
// Preset INI: sections "液位" (level) and "温度" (temperature). A file that is well-formed UTF-8
// (with or without a byte-order mark) is read as UTF-8, anything else as GBK; a section name
// that reads as both ("液位" in GBK is also valid UTF-8) is found under either reading. Names
// compare without regard to case; a value is at most 19 bytes of GBK.
//
// Both are read through readRegularFile with kTextFileLimit: a directory, FIFO, device or huge
// file is refused with the reason, never read.

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/Message.h"
#include "config/ParameterModel.h"
#include "config/ParameterTable.h"
#include "link/RegisterMap.h"

namespace config {

// kParameterLineCount, kParameterFileKeys: config/ParameterTable.h.

// The 19 values as the page shows them, UTF-8.
std::array<std::string, kParameterLineCount> parameterFileValues(const BasicConfigModel& m);
// The file's bytes: GBK, 0D 0D 0A line ends.
std::string encodeParameterFile(const std::array<std::string, kParameterLineCount>& values);
// Writes the file; false with a reason when it cannot be created or written.
bool writeParameterFile(const std::filesystem::path& path, const BasicConfigModel& m,
                        std::string* error);

// Parameter files and presets are small; anything larger is not one.
constexpr std::size_t kTextFileLimit = 64 * 1024;

struct ParameterFileRead {
    enum class Status { Ok, Unreadable, Refused };
    Status status = Status::Ok;
    std::array<std::string, kParameterLineCount> values;  // UTF-8, in the program's key order
    // Unreadable: why, e.g. "a directory, not a file". Refused: the line and what is wrong with
    // it, e.g. "Line 4 (rangEnd) is not a parameter!".
    Message problem;
    bool ok() const { return status == Status::Ok; }
};

ParameterFileRead decodeParameterFile(const std::string& bytes);
ParameterFileRead readParameterFile(const std::filesystem::path& path);
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
    struct Load;
    // A missing file is an empty one (every key takes its default); a path that exists but
    // cannot be read is refused with the reason.
    static Load load(const std::filesystem::path& path);
    static IniFile parse(const std::string& bytes);
    // The value as a 20-byte profile buffer holds it, UTF-8; `fallback` when the key is missing.
    std::string get(const std::string& section, const std::string& key,
                    const std::string& fallback) const;

private:
    // section (lower case, UTF-8) -> key (lower case) -> raw bytes
    std::map<std::string, std::map<std::string, std::string>> sections_;
    bool utf8_ = false;
};

struct IniFile::Load {
    std::optional<IniFile> ini;
    std::string why;  // when !ini
};

// Codes of a device's block that no list of the page can show (signal type 9, unit "cm", point
// position 7, ...): the page would keep whatever its list held. Each is given as the 0-based
// file line it feeds and the device's code.
struct UnshownCode {
    std::size_t line;
    int code;
};
std::vector<UnshownCode> codesNoListShows(const reg::ParameterBlock& block);
// The value written for such a line, "(code 10)": it begins no list entry, so a download of the
// file refuses it.
std::string unshownCodeMark(int code);

enum class Preset { Level, Temperature };
// Fills the page from the preset's section: "Signal type:" selects the preset's own type
// ("level" or "Temperature"), the density edit follows it, the other keys select or set their
// controls, then the unit labels and output-type rules follow.
void applyPreset(BasicConfigModel& m, const IniFile& ini, Preset preset);

}  // namespace config
