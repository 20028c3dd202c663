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
// characters). An acquisition holds its file under an exclusive lock (flock) while it runs; one
// started within the same second as another that still runs takes the next free name
// ("%Y%m%d%H%M%S-2.rec", "-3", ...). A file of that name that nobody holds (an acquisition that
// ended within the same second) is appended to: its header follows the earlier lines.

#include <atomic>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/FileWrite.h"
#include "base/LineFile.h"
#include "base/Progress.h"
#include "base/ProgressTexts.h"

inline constexpr std::string_view kRecordHeader = "\tTime\t1\t2\t3\t4\r\n";
inline constexpr std::size_t kRecordHeaderLength = 15;
static_assert(kRecordHeader.size() == kRecordHeaderLength);

std::string recordFileName(const std::tm& localStart);
// The start time a record file's name carries ("%Y%m%d%H%M%S.rec", "%Y%m%d%H%M%S-N.rec"), or
// nullopt for any other
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

// Record lines go to the disk one by one, never half (base/LineFile.h).
using RecordWriter = LineFile;

// The record file of an acquisition started at `localStart`, opened and locked in `dir`: its
// name, or the next free one when another acquisition holds it. Null when none could be opened,
// `error` then holds the errno.
std::unique_ptr<RecordWriter> openRecordFile(const std::filesystem::path& dir,
                                             const std::tm& localStart, int& error);
