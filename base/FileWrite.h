#pragma once
// Writing files so that nothing is lost or half done.
//
// Every file the program writes over is replaced atomically: the new bytes go to a temporary
// file in the same folder ("NAME.tmp-PID-N"), each write is checked, the file is flushed to the
// disk (fsync) and renamed over the old one, and the folder is flushed so the rename itself
// survives a crash. Whatever fails, the old file stays whole and the temporary one is removed;
// the failure names the system's reason ("No space left on device").
//
// Every write of a file's bytes (these files and the record files) goes through writeWhole, whose
// system call tests can replace to inject ENOSPC, EIO or short writes.

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

// The write(2) every file write goes through; tests replace it, nullptr gives ::write back.
using FileWriteCall = ssize_t (*)(int fd, const void* bytes, std::size_t count);
void setFileWriteCall(FileWriteCall call);

// Writes all of `bytes` to `fd` (resuming after interruptions and short writes); 0, or the
// errno that stopped it.
int writeWhole(int fd, std::string_view bytes);

struct FileWritten {
    bool ok = false;
    std::filesystem::path path;  // the file written (a new name's choice, see below)
    std::string why;             // the system's reason when not ok
};

// The bytes of one file to be, in a temporary file beside it until commit(). Not thread-safe;
// one writer per file. Destroyed without a commit, the temporary file goes and the old file stays.
class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False once any write failed (the temporary file could not be made, a write failed); the
    // first failure is kept for commit().
    bool write(std::string_view bytes);
    bool failed() const { return error_ != 0; }
    int error() const { return error_; }
    // Flushes the file to the disk and puts it in place of the target.
    FileWritten commit();
    // Flushes the file and gives it the first of name(1), name(2), ... name(tries) that no file
    // has, in the target's folder: nothing is overwritten. Ends with EEXIST when all are taken.
    FileWritten commitAsNew(const std::function<std::filesystem::path(int)>& name, int tries);

private:
    bool flushAndClose();
    FileWritten finish(const std::filesystem::path& at);

    std::filesystem::path target_;
    std::filesystem::path temp_;
    int fd_ = -1;
    int error_ = 0;
};

// The whole file at once.
FileWritten replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Whether a file could be made at `path` now (a folder that exists and takes a new file): a
// temporary file is made there and removed again. why = the system's reason when not.
FileWritten probeWritable(const std::filesystem::path& path);
