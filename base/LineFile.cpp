#include "base/LineFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>

#include "base/FileWrite.h"

LineFile::~LineFile() {
    if (fd_ < 0)
        return;
    struct stat st {};
    // Nothing was ever written: no empty record file stays behind.
    if (created_ && ::fstat(fd_, &st) == 0 && st.st_size == 0)
        ::unlink(path_.c_str());
    ::close(fd_);  // releases the lock
}

int LineFile::openFile() {
    if (fd_ >= 0)
        return 0;
    // Read access only to look at the last byte; a file we may only write is taken as whole.
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
    created_ = fd_ >= 0;
    if (fd_ < 0 && errno == EEXIST)
        fd_ = ::open(path_.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
    readable_ = fd_ >= 0;
    if (fd_ < 0)
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    return error_ = fd_ < 0 ? errno : 0;
}

int LineFile::openLocked() {
    if (const int e = openFile())
        return e;
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        error_ = errno == EWOULDBLOCK ? EWOULDBLOCK : errno;
        ::close(fd_);
        fd_ = -1;
        return error_;
    }
    return 0;
}

std::optional<off_t> LineFile::size() {
    if (openFile() != 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        error_ = errno;
        return std::nullopt;
    }
    return st.st_size;
}

bool LineFile::empty() {
    return size() == off_t{0};
}

bool LineFile::append(std::string_view line) {
    const std::optional<off_t> size = this->size();
    if (!size)
        return false;
    const off_t before = *size;
    std::string bytes;
    char last = '\n';
    if (readable_ && before > 0 && ::pread(fd_, &last, 1, before - 1) == 1 && last != '\n')
        bytes = "\r\n";
    bytes += line;
    if (const int e = writeWhole(fd_, bytes)) {
        error_ = e;
        // Whatever part of the line reached the file goes again, so the next line starts clean;
        // should that fail too, the next append sees the missing line end and adds one.
        const int cut = ::ftruncate(fd_, before);
        static_cast<void>(cut);
        return false;
    }
    if (::fsync(fd_) != 0) {
        error_ = errno;
        return false;
    }
    return true;
}
