#pragma once
// A bus of simulated devices behind a pseudo-terminal. A program opens portPath() as it would
// open a serial adapter. The simulator paces its answers at 10 bits a byte at the configured baud
// rate, after the request's own wire time and the device latency, so timing behaves like a line.
//
// Requests: functions 0x04, 0x06 and 0x10 on registers 1..40; address 127 reaches every device
// and gets no answer; a frame with a bad CRC or for an absent address gets silence.
//
// With a clock in its options the bus lives in the program instead (line()): no terminal, no
// threads; its answers come at points of the clock's steady time, which only the waits of whoever
// reads the line move. Same answers, same pacing, the same faults.
//
// Thread contract: all public calls are safe from any thread.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <queue>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/Clock.h"
#include "link/InProcessLine.h"
#include "sim/SimDevice.h"

class SimBus {
public:
    struct Options {
        std::vector<int> addresses{1, 7, 12};
        int baud = 9600;
        double latencyMs = 5.0;
        std::string linkPath;  // made a symbolic link to the terminal when set
        // Devices take a request only after the inter-frame silence (3.5 characters, 1.75 ms
        // above 19200 baud) since the last byte on the line; one that begins sooner is lost.
        // Half a silence (at most 1 ms) is allowed for this end's own scheduling.
        bool strictSilence = false;
        // The adapter hands back every byte the master sends, as it goes out on the line.
        bool echo = false;
        // The adapter hands bytes over in pieces of 1 to 8, 1 to 16 ms apart (a USB latency
        // timer), from a sequence fixed by `seed`.
        bool chunks = false;
        unsigned seed = 1;
        // Set: the line is in-process on this clock (line()), not a terminal.
        std::shared_ptr<Clock> clock;
    };
    struct ReceivedFrame {
        std::vector<std::uint8_t> bytes;
        bool crcOk;
        // The request went out while a device was still answering: on a half-duplex line the
        // two would have collided.
        bool collided = false;
        // It began sooner than the inter-frame silence after the line's last byte and was lost
        // (strictSilence).
        bool tooSoon = false;
    };

    explicit SimBus(Options options);
    ~SimBus();
    SimBus(const SimBus&) = delete;
    SimBus& operator=(const SimBus&) = delete;

    // The terminal a master opens (the in-process line's name with a clock).
    const std::string& portPath() const { return portPath_; }
    // The in-process line, with a clock in the options; null otherwise.
    std::shared_ptr<InProcessLine> line() const { return line_; }
    bool running() const { return running_; }

    void setAppliedPressure(double value);
    void setFaults(int address, const SimFaults& faults);
    void setGainOffset(int address, double gain, double offset);
    // See SimDevice::setCountingReads.
    void setCountingReads(int address, bool on);
    // Closes the terminal: the master sees its line hang up.
    void hangUp();
    // The line hangs up once `frames` more requests have come in (the last one unanswered).
    void hangUpAfter(std::size_t frames);

    std::vector<ReceivedFrame> framesReceived() const;
    // How much later than their wire time the adapter has handed over the answers' last bytes,
    // in all (chunks): what the line adds beyond its wire time.
    std::chrono::microseconds handoverDelay() const {
        return std::chrono::microseconds(handoverUs_.load());
    }
    void clearFramesReceived();
    std::optional<std::uint16_t> reg(int address, int r) const;
    void setReg(int address, int r, std::uint16_t value);
    std::optional<std::uint16_t> measuredValue(int address) const;
    std::optional<std::pair<float, float>> coefficients(int address) const;
    std::vector<int> addresses() const;

private:
    class Line;
    // A run of bytes as the adapter hands it over: when, and when its last bit left the line.
    struct Piece {
        std::chrono::steady_clock::time_point handed, sent, begun;
        std::size_t count;
        bool echo;
    };
    struct Scheduled {
        std::chrono::steady_clock::time_point at;
        std::uint64_t seq;
        std::vector<std::uint8_t> bytes;
        bool echo = false;  // the adapter's echo of the master's bytes
        bool operator>(const Scheduled& o) const { return at != o.at ? at > o.at : seq > o.seq; }
    };

    void readLoop();
    void writeLoop();
    std::chrono::steady_clock::time_point now() const;
    std::chrono::microseconds fragmentGap() const;
    // The complete request at the front of `buf`, taken off it.
    static std::optional<std::vector<std::uint8_t>> takeRequest(std::vector<std::uint8_t>& buf);
    // The line is to hang up now (hangUpAfter).
    bool hangUpDue() const;
    // The next piece of an answer with `left` bytes to go: its length; `t` moves to its last
    // bit, `handed` to when the adapter hands it over (after the one before, at `lastHanded`).
    std::size_t nextPiece(std::size_t left, std::chrono::steady_clock::time_point& t,
                          std::chrono::steady_clock::time_point& handed,
                          std::chrono::steady_clock::time_point lastHanded,
                          std::minstd_rand& rng) const;
    // The in-process line: what the reader and writer threads do, at the clock's times.
    bool lineWrite(const std::uint8_t* data, std::size_t n,
                   std::chrono::steady_clock::time_point at);
    bool lineRead(std::vector<std::uint8_t>& out, std::size_t max,
                  std::chrono::steady_clock::time_point now);
    std::size_t lineWaiting(std::chrono::steady_clock::time_point now);
    std::chrono::steady_clock::time_point lineNextEvent(std::chrono::steady_clock::time_point now);
    // Puts every answer the writer would have begun by `now` on the timeline. Under lineMutex_.
    void commitUpTo(std::chrono::steady_clock::time_point now);
    void closeLine();
    void handleFrame(const std::vector<std::uint8_t>& frame,
                     std::chrono::steady_clock::time_point arrived);
    std::chrono::microseconds byteTime() const;
    double secondsSinceStart() const;
    SimDevice* find(int address);
    const SimDevice* find(int address) const;

    Options options_;
    std::string portPath_;
    int master_ = -1;
    int slaveKeeper_ = -1;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
    std::chrono::steady_clock::time_point started_;

    mutable std::mutex mutex_;  // devices, faults, frames, applied pressure
    std::vector<std::unique_ptr<SimDevice>> devices_;
    std::map<int, SimFaults> faults_;
    std::map<int, int> answersGiven_;  // per address, for SimFaults::lateEvery
    std::size_t framesSeen_ = 0;       // every request ever taken, cleared or not
    std::size_t hangUpAt_ = 0;         // framesSeen_ at which the line hangs up; 0 = never
    std::vector<ReceivedFrame> frames_;
    double applied_ = 0.0;
    std::uint64_t seq_ = 0;

    std::mutex queueMutex_;
    std::condition_variable queueCv_;
    std::priority_queue<Scheduled, std::vector<Scheduled>, std::greater<>> queue_;
    std::chrono::steady_clock::time_point answersEnd_{};  // when the last scheduled answer ends
    // When the last answer byte written (or being written) leaves the line, in steady-clock ticks.
    std::atomic<long long> lineBusyUntil_{0};
    std::chrono::steady_clock::time_point requestsEnd_{};  // the last request's wire end
    std::atomic<long long> handoverUs_{0};

    std::mutex lineMutex_;  // writes to master_ against closeLine()

    std::thread reader_;
    std::thread writer_;

    // The in-process line; all under lineMutex_.
    std::shared_ptr<InProcessLine> line_;
    bool gone_ = false;
    std::vector<std::uint8_t> inBuf_;
    std::chrono::steady_clock::time_point inLastByte_{};
    std::deque<Piece> timeline_;
    std::deque<std::uint8_t> timelineBytes_;
    std::chrono::steady_clock::time_point writerFree_{}, lineFree_{}, lastHanded_{};
    std::chrono::steady_clock::time_point busyRead_{};  // the latest piece read off the line
    std::minstd_rand rng_;
};

// "1,7,12" -> {1, 7, 12}; nullopt for anything else (addresses 1..60, no repeats).
std::optional<std::vector<int>> parseAddressList(const std::string& text);
// "7:late=1300", "3:silent", "5:bad-crc", "5:short", "5:garbage", "5:stream=2000", "5:refuse",
// "5:ignore-writes", "7:exception=2":
// that fault added to its address's faults (several add up); false, and nothing added, for
// anything else.
bool parseFault(const std::string& text, std::map<int, SimFaults>& faults);
