#include "base/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/NumberText.h"
#include "base/Texts.h"

namespace {

FileRead failure(std::string why) {
    FileRead r;
    r.why = std::move(why);
    return r;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

FileRead readRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                         const std::function<bool(std::size_t)>& keepGoing) {
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for ever.
    const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        return failure(std::strerror(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return failure(std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        return failure(KORV_TR_NOOP("Core", "a directory, not a file"));
    if (!S_ISREG(st.st_mode))
        return failure(KORV_TR_NOOP("Core", "not a regular file"));
    const auto tooLong = [&] {
        return failure(
            fillText(texts::kLargerThan, {num::formatInt(static_cast<long long>(maxBytes))}));
    };
    if (static_cast<unsigned long long>(st.st_size) > maxBytes)
        return tooLong();
    FileRead r;
    constexpr std::size_t kChunk = 1 << 20;
    // The reported size is a hint only: /proc files say 0, a growing file says too little. Room
    // for the last read too (the one that finds the end), so a file whose size is right is read
    // without the buffer ever being moved (which would hold it twice for a moment).
    const auto size = static_cast<std::size_t>(st.st_size);
    r.bytes.reserve(size + std::min(kChunk, maxBytes + 1 - size));
    for (;;) {
        const std::size_t at = r.bytes.size();
        const std::size_t want = std::min(kChunk, maxBytes + 1 - at);
        r.bytes.resize(at + want);
        const ssize_t n = ::read(fd.get(), r.bytes.data() + at, want);
        if (n < 0 && errno == EINTR) {
            r.bytes.resize(at);
            continue;
        }
        if (n < 0)
            return failure(std::strerror(errno));
        r.bytes.resize(at + static_cast<std::size_t>(n));
        if (n == 0)
            break;
        if (r.bytes.size() > maxBytes)
            return tooLong();
        if (keepGoing && !keepGoing(r.bytes.size()))
            return failure(KORV_TR_NOOP("Core", "cancelled"));
    }
    r.ok = true;
    return r;
}
