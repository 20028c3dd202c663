#pragma once
// SIGINT, SIGTERM and SIGHUP end a command of korvelantis-cli after the exchange in flight:
// the signals are taken by a thread of their own, never in the middle of a write to a device or a
// file, and the command stops at its next step, says what it knows and closes the port.

#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include <signal.h>

class StopSignals {
public:
    // Blocks the three signals in the calling thread, so every thread it starts later inherits
    // that, and watches for them. Construct before the command starts any thread.
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Runs once, on the watching thread, when the first signal arrives.
    void onStop(std::function<void()> action);
    // 128 + the signal: 130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP.
    int exitCode() const;

private:
    void watch();
    std::atomic<bool> quit_{false};
    std::mutex mutex_;
    std::function<void()> action_;
    std::thread thread_;
    sigset_t before_;
};

// The signal that ended the command, or 0: for the steps that cannot be handed the object.
int stopSignal();

// A line of `in` without its line end, or nullopt at its end or once a signal came. A stream on a
// descriptor is polled, so a signal ends the wait; one in memory (the tests') is read as it is.
std::optional<std::string> readInputLine(std::FILE* in);
