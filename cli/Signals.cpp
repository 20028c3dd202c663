#include "cli/Signals.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <ctime>

namespace {

std::atomic<int> g_signal{0};

sigset_t stopSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

StopSignals::StopSignals() {
    const sigset_t set = stopSet();
    pthread_sigmask(SIG_BLOCK, &set, &before_);
    thread_ = std::thread([this] { watch(); });
}

StopSignals::~StopSignals() {
    quit_ = true;
    thread_.join();
    // The thread goes back as it was: an in-process run (the tests') must not leave the signals
    // blocked for the programs started after it, which would inherit that.
    pthread_sigmask(SIG_SETMASK, &before_, nullptr);
}

void StopSignals::onStop(std::function<void()> action) {
    std::lock_guard lock(mutex_);
    action_ = std::move(action);
}

int StopSignals::exitCode() const {
    const int s = g_signal.load();
    return s ? 128 + s : 0;
}

void StopSignals::watch() {
    const sigset_t set = stopSet();
    const timespec step{0, 50'000'000};
    while (!quit_.load()) {
        const int s = sigtimedwait(&set, nullptr, &step);
        if (s <= 0 || g_signal.load() != 0)
            continue;  // a second signal changes nothing: the first one is being honoured
        g_signal = s;
        std::lock_guard lock(mutex_);
        if (action_)
            action_();
    }
}

int stopSignal() {
    return g_signal.load();
}

std::optional<std::string> readInputLine(std::FILE* in) {
    std::string line;
    const int fd = ::fileno(in);
    if (fd < 0) {
        for (int c; (c = std::fgetc(in)) != EOF && c != '\n';) line += static_cast<char>(c);
        if (line.empty() && std::feof(in))
            return std::nullopt;
        return line;
    }
    for (;;) {
        if (g_signal.load())
            return std::nullopt;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, 50);
        if (ready < 0)
            return std::nullopt;
        if (ready == 0)
            continue;
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n <= 0)
            return line.empty() ? std::nullopt : std::optional(line);
        if (c == '\n')
            return line;
        line += c;
    }
}
