#pragma once
// The rounds of a watch as CSV rows "time,address,value,unit": a header once, when the file is
// new or empty; an existing file is appended to, never cut. Every round's rows are on the disk
// (fsync) before the next round begins, so a killed watch loses at most the round in flight. A
// row is written whole or not at all (base/LineFile.h). Devices without an answer in a round
// have no row in it.

#include <filesystem>
#include <memory>
#include <string>

#include "base/LineFile.h"
#include "live/Watch.h"

namespace live {

inline constexpr std::string_view kCsvHeader = "time,address,value,unit\r\n";

class CsvSink : public RoundSink {
public:
    explicit CsvSink(std::filesystem::path path);
    // Opens the file (held under an exclusive lock while the watch runs) and writes the header
    // to an empty one; 0 or the errno.
    int open();
    bool take(const Round& round, const std::vector<DeviceState>& devices) override;
    // The errno of the last failure (open or take).
    int error() const { return file_.error(); }
    const std::filesystem::path& path() const { return file_.path(); }
    long long rows() const { return rows_; }

private:
    LineFile file_;
    long long rows_ = 0;
};

// The rows of one round, each with its CR LF.
std::string csvRows(const Round& round);

}  // namespace live
