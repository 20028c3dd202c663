#pragma once
// What a long operation is doing now: written by its worker, read by the window (the wait
// dialog polls it every 100 ms, the status bar for the ordinary search).
//
// A line is made of parts, each a template from base/ProgressTexts.h with its arguments
// (%1, %2, ... in the template), so the window can translate the template before filling it in;
// text() is the line filled in as it stands, for the command line and the tests.
//
// Thread contract: any thread may call any member; a snapshot is a consistent copy.

#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

struct ProgressPart {
    ProgressPart(std::string format, std::vector<std::string> args = {})
        : format(std::move(format)), args(std::move(args)) {}
    ProgressPart(const char* format, std::vector<std::string> args = {})
        : format(format), args(std::move(args)) {}
    std::string format;             // "Address %1 of %2, %3 online"
    std::vector<std::string> args;  // {"23", "60", "2"}
    bool operator==(const ProgressPart&) const = default;
};

struct ProgressSnapshot {
    std::vector<ProgressPart> parts;
    int done = 0;          // steps done of `total`
    int total = 0;         // 0: the number of steps is not known (no bar is drawn)
    int secondsLeft = -1;  // -1: not known

    // The parts filled in as they stand ("Address 23 of 60, 2 online"); empty: nothing to show.
    std::string text() const;
};

class Progress {
public:
    using Until = std::chrono::steady_clock::time_point;

    void setParts(std::vector<ProgressPart> parts, int done = 0, int total = 0,
                  int secondsLeft = -1);
    void set(ProgressPart part, int done = 0, int total = 0, int secondsLeft = -1);
    // A wait that ends at `until` (a device storing its values): the seconds left are counted
    // down at each snapshot.
    void setUntil(ProgressPart part, Until until, int done = 0, int total = 0);
    void clear();
    ProgressSnapshot snapshot() const;

private:
    mutable std::mutex mutex_;
    ProgressSnapshot now_;
    Until until_{};
};

// The seconds the remaining steps take at the pace of those done (rounded up); -1 before the
// first step is done.
int estimateSecondsLeft(std::chrono::steady_clock::duration elapsed, int done, int total);
