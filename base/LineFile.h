#pragma once
// A file that only grows by whole lines, each on the disk before append() returns.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>

// Appends whole lines to one file (record files, the watch's CSV). The file is opened (created)
// once and each line is written and flushed to the disk (fsync), so a crash or a pulled plug loses
// no line that was reported written. A write that fails part-way is cut off again, and a file that
// does not end with a line end (a crash in mid-line) gets one first: no line ever joins another. A
// file this writer created and that still holds nothing when it is destroyed is removed. One thread
// at a time.
class LineFile {
public:
    explicit LineFile(std::filesystem::path path) : path_(std::move(path)) {}
    ~LineFile();
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // Opens the file and takes its exclusive lock without waiting: 0, EWOULDBLOCK when another
    // writer holds it, or the errno of the failure.
    int openLocked();
    // false when the file could not be opened or the line not written whole (error() says why).
    bool append(std::string_view line);
    // True when the file (opened if need be) holds no byte yet; false on a failure too.
    bool empty();
    // The errno of the last failure.
    int error() const { return error_; }

private:
    int openFile();
    // Its size, the file opened if need be; nullopt on a failure (error() says why).
    std::optional<off_t> size();
    std::filesystem::path path_;
    int fd_ = -1;
    bool readable_ = false;
    bool created_ = false;
    int error_ = 0;
};
