#pragma once
// Record files: the samples of one acquisition as 8-bit text.
//
// Layout (every line ends with CR LF; there is no trailer):
//   line 1   "\tTime\t1\t2\t3\t4\r\n"                      header, exactly 15 bytes
//   line 2.. "MM-DD hh:mm\t<value>\t0\t0\t0\r\n"           one per accepted sample
// The time text is always 11 characters; the value text follows the point position chosen on the
// basic configuration page when the sample was taken ("%d", "%.1f", "%.2f", "%.3f") and is empty
// when none was chosen. Columns "2" to "4" are always "0".
//
// Name: the local start time of the acquisition as "%Y%m%d%H%M%S" followed by ".rec" (18
// characters). Two acquisitions started within the same second share one file: the second one
// appends its header after the first one's lines.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

inline constexpr std::string_view kRecordHeader = "\tTime\t1\t2\t3\t4\r\n";
inline constexpr std::size_t kRecordHeaderLength = 15;
static_assert(kRecordHeader.size() == kRecordHeaderLength);

std::string recordFileName(const std::tm& localStart);
// "%m-%d %H:%M".
std::string recordTimeText(const std::tm& local);
// The value text of a raw register value for a point position text ("0000", "000.0", "00.00",
// "0.000"); empty for anything else.
std::string recordValueText(std::uint16_t raw, std::string_view pointPosition);
// One sample line with its CR LF.
std::string recordSampleLine(const std::tm& local, std::string_view valueText);

// Appends whole lines to one record file. Each append opens the file (creating it), writes the
// line in one call, flushes it to the disk (fsync) and closes it, so a crash or a pulled plug
// loses no line that was reported written.
class RecordWriter {
public:
    explicit RecordWriter(std::filesystem::path path) : path_(std::move(path)) {}
    const std::filesystem::path& path() const { return path_; }
    // false when the file could not be opened or the line not written whole.
    bool append(std::string_view line) const;

private:
    std::filesystem::path path_;
};
