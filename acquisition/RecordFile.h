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

#include <atomic>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/Progress.h"
#include "common/ProgressTexts.h"

inline constexpr std::string_view kRecordHeader = "\tTime\t1\t2\t3\t4\r\n";
inline constexpr std::size_t kRecordHeaderLength = 15;
static_assert(kRecordHeader.size() == kRecordHeaderLength);

std::string recordFileName(const std::tm& localStart);
// The start time a record file's name carries ("%Y%m%d%H%M%S.rec"), or nullopt for any other
// name. Only the calendar fields are set (tm_year is years since 1900, tm_mon 0..11).
std::optional<std::tm> recordStartOfName(std::string_view fileName);
// "%m-%d %H:%M".
std::string recordTimeText(const std::tm& local);
// The fields of a time text, month 1..12; nullopt when it is no such text.
struct RecordTime {
    int month, day, hour, minute;
};
std::optional<RecordTime> parseRecordTime(std::string_view text);
// The value text of a raw register value for a point position text ("0000", "000.0", "00.00",
// "0.000"); empty for anything else.
std::string recordValueText(std::uint16_t raw, std::string_view pointPosition);
// One sample line with its CR LF.
std::string recordSampleLine(const std::tm& local, std::string_view valueText);

// The text of a record file is 8-bit, in the system's code page (GBK); plain ASCII is the same in
// every code page.
// The longest start of `text` of at most `maxBytes` bytes that does not cut a GBK character.
std::string_view recordTextPrefix(std::string_view text, std::size_t maxBytes);
// `text` as UTF-8: GBK when it is valid GBK, else each byte as Latin-1, so nothing is lost.
std::string recordTextUtf8(std::string_view text);

// What a long job on a record file (an import, an export) reports to and is stopped by; both
// optional, from any thread.
struct JobControl {
    Progress* progress = nullptr;
    const std::atomic<int>* stop = nullptr;
    bool stopped() const { return stop && stop->load() != 0; }
    // "<what>: 12.0 of 40.0 MB" with a bar of `done` of `total` bytes.
    void report(const char* what, std::size_t done, std::size_t total) const;
};

// Writes all of `bytes` to `fd` (resuming after interruptions); 0, or the errno that stopped it.
int writeWhole(int fd, std::string_view bytes);

// Appends whole lines to one record file. Each append opens the file (creating it), writes the
// line, flushes it to the disk (fsync) and closes it, so a crash or a pulled plug loses no line
// that was reported written. A write that fails part-way is cut off again, and a file that does
// not end with a line end (a crash in mid-line) gets one first: no line ever joins another.
class RecordWriter {
public:
    explicit RecordWriter(std::filesystem::path path) : path_(std::move(path)) {}
    const std::filesystem::path& path() const { return path_; }
    // false when the file could not be opened or the line not written whole.
    bool append(std::string_view line) const;

private:
    std::filesystem::path path_;
};
