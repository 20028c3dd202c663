#include "base/FileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace {

std::atomic<FileWriteCall> g_write{nullptr};
std::atomic<unsigned> g_tempCounter{0};

std::string reason(int error) {
    return std::strerror(error);
}

// The file a name stands for: a symbolic link is followed, so the file it names is replaced
// and the link stays.
std::filesystem::path resolved(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec))
        return path;
    const auto to = std::filesystem::read_symlink(path, ec);
    if (ec)
        return path;
    return to.is_absolute() ? to : path.parent_path() / to;
}

std::filesystem::path folderOf(const std::filesystem::path& path) {
    const auto parent = path.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

// The rename is on disk only once its folder is; a file system that cannot flush a folder
// (EINVAL) has nothing more to do.
int syncFolder(const std::filesystem::path& file) {
    const int dfd = ::open(folderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0)
        return errno;
    const int error = ::fsync(dfd) != 0 && errno != EINVAL ? errno : 0;
    ::close(dfd);
    return error;
}

// `from` gets the name `to` only if nobody holds it.
int renameKeepingExisting(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: a hard link fails just as well on a taken name.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    ::unlink(from.c_str());
    return 0;
}

}  // namespace

void setFileWriteCall(FileWriteCall call) {
    g_write = call;
}

int writeWhole(int fd, std::string_view bytes) {
    const FileWriteCall call = g_write.load();
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = call ? call(fd, bytes.data() + done, bytes.size() - done)
                               : ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;  // a write that takes nothing would loop for ever
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

AtomicFile::AtomicFile(std::filesystem::path target) : target_(resolved(target)) {
    const std::string stem =
        target_.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_ = folderOf(target_) / (stem + std::to_string(g_tempCounter.fetch_add(1)));
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0 || errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        error_ = errno;
        temp_.clear();
        return;
    }
    // A file written over keeps who may read it.
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        static_cast<void>(::fchmod(fd_, st.st_mode & 07777));
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!temp_.empty())
        ::unlink(temp_.c_str());
}

bool AtomicFile::write(std::string_view bytes) {
    if (error_ == 0 && fd_ >= 0)
        error_ = writeWhole(fd_, bytes);
    return error_ == 0;
}

bool AtomicFile::flushAndClose() {
    if (error_ == 0 && ::fsync(fd_) != 0)
        error_ = errno;
    if (fd_ >= 0 && ::close(fd_) != 0 && error_ == 0)
        error_ = errno;
    fd_ = -1;
    return error_ == 0;
}

FileWritten AtomicFile::finish(const std::filesystem::path& at) {
    FileWritten w;
    w.path = at;
    if (error_ != 0) {
        w.why = reason(error_);
        return w;
    }
    temp_.clear();
    // The new file is in place; a folder that cannot be flushed is still told.
    if (const int e = syncFolder(at)) {
        w.why = reason(e);
        return w;
    }
    w.ok = true;
    return w;
}

FileWritten AtomicFile::commit() {
    if (flushAndClose() && ::rename(temp_.c_str(), target_.c_str()) != 0)
        error_ = errno;
    return finish(target_);
}

FileWritten AtomicFile::commitAsNew(const std::function<std::filesystem::path(int)>& name,
                                    int tries) {
    std::filesystem::path at = target_;
    if (flushAndClose()) {
        error_ = EEXIST;
        for (int i = 1; i <= tries && error_ == EEXIST; ++i) {
            at = folderOf(target_) / name(i);
            error_ = renameKeepingExisting(temp_, at);
        }
    }
    return finish(at);
}

FileWritten replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    AtomicFile file(path);
    file.write(bytes);
    return file.commit();
}

FileWritten probeWritable(const std::filesystem::path& path) {
    FileWritten w;
    w.path = path;
    std::error_code ec;
    // The rename at the end would fail on a folder of that name.
    const int error = std::filesystem::is_directory(path, ec) ? EISDIR : AtomicFile(path).error();
    w.ok = error == 0;
    if (!w.ok)
        w.why = reason(error);
    return w;
}
