#include "cli/OutputCheck.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/ExitCodes.h"
#include "cli/Run.h"

namespace {
int g_firstError = 0;  // main thread only

void noteFlush(int result) {
    if (result != 0 && g_firstError == 0)
        g_firstError = errno ? errno : EIO;
}
}  // namespace

void holdOutput() {
    // glibc takes the size only with a buffer of our own.
    static char buffer[1 << 20];
    if (!::isatty(STDOUT_FILENO))
        std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
}

void flushOutput() {
    errno = 0;
    noteFlush(std::fflush(cli::out()));
}

int finishOutput(int code) {
    flushOutput();
    // A write error seen earlier (a full buffer written out) counts even when this flush had
    // nothing left to write.
    if (std::ferror(stdout) && g_firstError == 0)
        g_firstError = EIO;
    errno = 0;
    noteFlush(std::fclose(stdout));
    if (g_firstError == 0)
        return code;
    std::fprintf(stderr, "korvelantis-cli: standard output: %s\n", std::strerror(g_firstError));
    return code == cli_exit::kOk || code == cli_exit::kUnshownCode ? cli_exit::kFailed : code;
}
