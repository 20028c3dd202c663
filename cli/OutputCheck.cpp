#include "cli/OutputCheck.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/ExitCodes.h"

int finishOutput(int code) {
    errno = 0;
    // A write error seen earlier (ferror) counts even when the last flush had nothing left.
    const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout);
    const int flushErrno = errno;
    const bool closed = std::fclose(stdout) == 0;
    if (flushed && closed)
        return code;
    const int e = !flushed && flushErrno ? flushErrno : errno ? errno : EIO;
    std::fprintf(stderr, "korvelantis-cli: standard output: %s\n", std::strerror(e));
    return code == cli_exit::kOk || code == cli_exit::kUnshownCode ? cli_exit::kFailed : code;
}
