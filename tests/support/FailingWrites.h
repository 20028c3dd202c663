#pragma once
// Makes every file write of the program fail, as a disk that fills up does: the first
// `allowedBytes` bytes are written for real (short writes at the edge), then each write fails
// with `error`. Undone at destruction.

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>

#include "base/FileWrite.h"

class FailingWrites {
public:
    explicit FailingWrites(int error = ENOSPC, std::size_t allowedBytes = 0) {
        error_ = error;
        left_ = allowedBytes;
        setFileWriteCall(&failingWrite);
    }
    ~FailingWrites() { setFileWriteCall(nullptr); }
    FailingWrites(const FailingWrites&) = delete;
    FailingWrites& operator=(const FailingWrites&) = delete;
    // Lets `bytes` more through from now on.
    void allow(std::size_t bytes) { left_ = bytes; }

private:
    static ssize_t failingWrite(int fd, const void* bytes, std::size_t count) {
        const std::size_t left = left_.load();
        if (left == 0) {
            errno = error_.load();
            return -1;
        }
        const ssize_t n = ::write(fd, bytes, count < left ? count : left);
        if (n > 0)
            left_ -= static_cast<std::size_t>(n);
        return n;
    }
    static inline std::atomic<int> error_{ENOSPC};
    static inline std::atomic<std::size_t> left_{0};
};
