#pragma once
// A simulated bus in-process, an application context whose port is already open on it with
// shrunken timing, and a recorder of every operator message.

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/Progress.h"
#include "link/OperatorMessages.h"
#include "sim/SimBus.h"
#include "state/AppContext.h"
#include "tests/support/FakeClock.h"
#include "tests/support/RecordingMessages.h"

// What a call of the port or the bus came to, told to `messages` as the program tells the
// operator; the classic 1 or 0.
int told(OperatorMessages& messages, const Status& status);

// Bus timing for tests: every wait shrunk by `scale`.
Timing testTiming(double scale = 0.05);

struct TestBus {
    explicit TestBus(std::vector<int> addresses, double scale = 0.05, int baud = 115200,
                     double latencyMs = 1.0, std::shared_ptr<Clock> clock = nullptr);
    // A simulated line of the given kind; the port opens at its baud rate. With a clock in the
    // options the line is in-process and the bus waits on that clock.
    TestBus(SimBus::Options options, double scale);
    // Options of an in-process line on a fake clock of its own: no wait of the bus or of the
    // simulated devices takes real time.
    static SimBus::Options inProcess(std::vector<int> addresses, int baud = 115200,
                                     double latencyMs = 1.0);
    // A fresh fake clock for an in-process line.
    static std::shared_ptr<FakeClock> lineClockOfItsOwn();
    // The steady time of the bus: the line's clock when in-process, else the steady clock.
    std::chrono::steady_clock::time_point now() const;
    // Lets time pass: the in-process line's clock moves on, a terminal's test sleeps.
    void pass(std::chrono::milliseconds d);

    SerialSettings settings() const;
    // Opens the context's port on the simulator, without a word to the recorder.
    void open();

    RecordingMessages messages;
    SimBus sim;
    AppContext ctx;
    int baud = 115200;
    std::shared_ptr<Clock> lineClock;  // of the in-process line, or null
};

// Keeps every frame the bus reports, for tests of the traffic and of its figures.
class FrameRecorder : public BusObserver {
public:
    void framesSeen(const std::vector<BusFrame>& frames) override {
        std::lock_guard lock(mutex_);
        frames_.insert(frames_.end(), frames.begin(), frames.end());
    }
    std::vector<BusFrame> frames() const {
        std::lock_guard lock(mutex_);
        return frames_;
    }
    // When each request went out (ms on the bus's clock), in order.
    std::vector<double> sentAt() const {
        std::vector<double> out;
        for (const BusFrame& f : frames())
            if (f.direction == FrameDirection::Sent)
                out.push_back(f.timeMs);
        return out;
    }
    // The frames of the exchanges with `address`.
    std::vector<BusFrame> with(int address) const {
        std::vector<BusFrame> out;
        for (const BusFrame& f : frames())
            if (f.exchangeAddress == address)
                out.push_back(f);
        return out;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        frames_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<BusFrame> frames_;
};

// Address and function of every request the simulator took, in order.
std::vector<std::pair<int, int>> requestOrder(const SimBus& sim);

// Watches a Progress from construction to stop() on a thread of its own: the template of its
// first part each time it changes, so a wait of some milliseconds is never missed (a step of a
// single fast exchange may be).
class ProgressTrail {
public:
    explicit ProgressTrail(const Progress& progress);
    ~ProgressTrail();
    std::vector<std::string> stop();
    // How many times `format` began in the trail.
    static int count(const std::vector<std::string>& trail, const char* format);

private:
    const Progress& progress_;
    std::atomic<bool> stop_{false};
    std::vector<std::string> trail_;
    std::thread thread_;
};

// A fresh empty directory under the system's temporary directory, removed at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::vector<unsigned char> readFileBytes(const std::string& path);
std::string readFileText(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);
