#pragma once
// A simulated bus in-process, an application context whose port is already open on it with
// shrunken timing, and a recorder of every operator message.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/AppContext.h"
#include "link/OperatorMessages.h"
#include "sim/SimBus.h"

// Bus timing for tests: every wait shrunk by `scale`.
Timing testTiming(double scale = 0.05);

struct TestBus {
    explicit TestBus(std::vector<int> addresses, double scale = 0.05, int baud = 115200,
                     double latencyMs = 1.0, std::shared_ptr<Clock> clock = nullptr);
    // A simulated line of the given kind; the port opens at its baud rate.
    TestBus(SimBus::Options options, double scale);

    SerialSettings settings() const;
    // Opens the context's port on the simulator (its message is then cleared).
    void open();

    RecordingMessages messages;
    SimBus sim;
    AppContext ctx;
    int baud = 115200;
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
void writeFileBytes(const std::string& path, const std::string& bytes);
