#pragma once
// What a long operation is doing now: written by its worker, read by the window (the wait
// dialog polls it every 100 ms, the status bar for the ordinary search).
//
// Thread contract: any thread may call any member; a snapshot is a consistent copy.

#include <mutex>
#include <string>

struct ProgressSnapshot {
    std::string text;      // "Address 23 of 60, 2 online"; empty: nothing to show yet
    int done = 0;          // steps done of `total`
    int total = 0;         // 0: the number of steps is not known (no bar is drawn)
    int secondsLeft = -1;  // -1: not known
};

class Progress {
public:
    void set(std::string text, int done = 0, int total = 0, int secondsLeft = -1);
    void clear();
    ProgressSnapshot snapshot() const;

private:
    mutable std::mutex mutex_;
    ProgressSnapshot now_;
};
