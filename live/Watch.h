#pragma once
// Watching a whole bus: register 23 of every watched device, round after round on a steady
// schedule, each value at that device's own point position and named with its own unit.
//
// Each device's parameter block is read once, at its first round (again at the next rounds while
// it does not answer); its point position and unit hold from then on. A round reads register 23 of
// every watched device in turn. The first round starts at once, the next ones one interval after
// the one before on the clock's steady time; a round that overran its interval is followed at
// once, never by a burst. A device is online from its first answer and offline after maxMisses
// rounds in a row without one (a device never heard of is offline after as many). Each round goes
// to the sinks (CSV, MQTT, the printed line) in order.
//
// No Qt and no texts of its own: the front ends say what the states mean.

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "state/AppContext.h"

namespace live {

struct DeviceState {
    int address = 0;
    bool blockRead = false;
    std::string pointPosition;  // "00.00"; empty until the block was read
    std::string unit;           // "MPa"; empty for a unit code without a text
    // The block's point-position code when it names none of the four: no value can be scaled,
    // so none is given.
    std::optional<int> unknownPointCode;
    std::optional<bool> online;  // unknown until it answered or missed maxMisses rounds
    int missesInRow = 0;
    long long answers = 0;
    long long misses = 0;
    std::string value;  // the last value's text ("12.41"), empty before the first
    Clock::TimePoint valueTime{};
};

// One device in one round.
struct Reading {
    int address = 0;
    bool answered = false;
    std::string value;  // at its point position, when answered
    std::string unit;
    std::optional<bool> onlineNow;  // set when this round changed its state
};

struct Round {
    long long number = 0;     // 1, 2, ...
    Clock::TimePoint time{};  // the wall clock when the round began
    std::vector<Reading> readings;
};

// What a round is handed to. false: the watch stops (the sink has said why).
class RoundSink {
public:
    virtual ~RoundSink() = default;
    virtual bool take(const Round& round, const std::vector<DeviceState>& devices) = 0;
};

struct WatchPlan {
    std::vector<int> addresses;  // ascending, 1..60
    std::chrono::milliseconds interval{1000};
    long long count = 0;  // rounds; 0: until stopped
    int maxMisses = 3;
};

enum class WatchEnd { Done, Stopped, PortFailed, SinkFailed };

class Watch {
public:
    Watch(AppContext& ctx, WatchPlan plan);
    // Rounds until the count is done, `stop` turns non-zero, the port fails or a sink refuses.
    WatchEnd run(const std::atomic<int>& stop, const std::vector<RoundSink*>& sinks);
    // The run's thread (or after the run).
    const std::vector<DeviceState>& devices() const { return devices_; }
    long long rounds() const { return rounds_.load(); }

private:
    // false when the port failed.
    bool readDevice(DeviceState& d, Reading& out);

    AppContext& ctx_;
    WatchPlan plan_;
    std::vector<DeviceState> devices_;
    std::atomic<long long> rounds_{0};
};

// "2026-12-09T20:15:03+00:00": local time with its offset from UTC.
std::string isoTime(Clock::TimePoint t);

}  // namespace live
