#pragma once
// What the bus sends and receives, frame by frame, and the figures of each address.
//
// The bus makes one BusFrame for every request it writes and for every run of bytes it takes off
// the line (the answer, a frame of someone else that it skipped, bytes it dropped before a
// request), and hands an exchange's frames to its observers once the bus lock is released.
//
// The text line of a frame (the trace of the command line, the monitor's saved file), fields
// separated by one blank:
//   TIME_MS DIR ADDR FUNC CRC OUTCOME LATENCY_MS BYTES
//   TIME_MS     milliseconds since the bus was created, three decimals
//   DIR         TX (sent) or RX (received)
//   ADDR        the frame's first byte in decimal, "-" when it has none
//   FUNC        its second byte as two hex digits, "-" when it has none
//   CRC         good or bad (its last two bytes against the CRC of the bytes before them)
//   OUTCOME     TX: how the exchange ended (answer, time-out, refused, not-read, failed)
//               RX: answer, time-out (the asked device's frame that did not check), refused,
//               foreign (skipped: not from the asked address and function), discarded (late
//               bytes dropped before a request, the echo of our own request)
//   LATENCY_MS  TX: from the end of the write to the end of the exchange; RX: to the arrival of
//               the frame's last byte; "-" for dropped bytes
//   BYTES       the bytes as hex separated by blanks; "... (N bytes)" after the first 256 when
//               there were more

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "link/DeviceAddress.h"

enum class FrameDirection { Sent, Received };

enum class FrameOutcome {
    Answer,     // the valid answer (TX: the exchange got it)
    Timeout,    // no valid answer before the deadline
    Refused,    // the device's exception answer
    Foreign,    // RX only: skipped, not the asked address and function
    Discarded,  // RX only: dropped before a request
    NotRead,    // TX only: no answer is read (address 127, the command before a download)
    Failed,     // TX only: the line failed or the port was closed meanwhile
};

struct BusFrame {
    static constexpr std::size_t kKeptBytes = 256;

    double timeMs = 0.0;
    FrameDirection direction = FrameDirection::Sent;
    // The address the exchange was with (the request's), which the figures are kept under.
    std::uint8_t exchangeAddress = 0;
    std::vector<std::uint8_t> bytes;  // at most kKeptBytes
    std::size_t length = 0;           // bytes the frame really had
    bool crcGood = false;
    FrameOutcome outcome = FrameOutcome::Answer;
    double latencyMs = -1.0;  // < 0: none

    bool hasAddress() const { return !bytes.empty(); }
    bool hasFunction() const { return bytes.size() >= 2; }
};

// "answer", "time-out", "refused", "foreign", "discarded", "not-read", "failed".
const char* outcomeToken(FrameOutcome outcome);
// "01 04 00 03", with "... (N bytes)" when the frame had more than it keeps.
std::string hexBytes(const BusFrame& frame);
// One line as described above, without a line end.
std::string formatFrameLine(const BusFrame& frame);
// A frame of the received or dropped bytes, its CRC judged, its length kept.
BusFrame makeFrame(double timeMs, FrameDirection direction, std::uint8_t exchangeAddress,
                   const std::uint8_t* bytes, std::size_t n, FrameOutcome outcome,
                   double latencyMs);

// The figures of one address since the port was opened or the figures reset.
struct AddressHealth {
    std::uint64_t requests = 0;
    std::uint64_t answers = 0;
    std::uint64_t timeouts = 0;
    std::uint64_t crcErrors = 0;  // frames of the asked address and function that did not check
    std::uint64_t refusals = 0;
    std::uint64_t foreign = 0;  // frames skipped while waiting for this address's answer
    double latencyMinMs = 0.0;  // of the answers
    double latencyMaxMs = 0.0;
    double latencySumMs = 0.0;

    double latencyMeanMs() const { return answers ? latencySumMs / double(answers) : 0.0; }
    bool empty() const { return requests == 0 && foreign == 0; }
};

// Addresses 1..60 and 127 (the writes to all devices).
class HealthTable {
public:
    static constexpr int kDeviceCount = device_address::kLast;
    static constexpr std::uint8_t kBroadcast = device_address::kBroadcast;

    // The figures of `address` (1..60 or 127); an empty entry for any other.
    const AddressHealth& at(int address) const;
    // The addresses the table keeps, in order: 1..60, 127.
    static std::vector<int> addresses();
    // Counts what one exchange's frames say.
    void add(const std::vector<BusFrame>& frames);
    void clear() { *this = HealthTable{}; }

    // false: the figures count from the last Open; true: from a reset by the operator.
    bool sinceReset = false;

private:
    AddressHealth* slot(int address);
    std::array<AddressHealth, kDeviceCount + 1> entries_{};
};

// The table as text: a header line and one line for each address with requests (or foreign
// frames), columns separated by blanks, latencies in ms with one decimal ("-" without answers).
std::string formatHealthTable(const HealthTable& table);

// Frames handed over by the bus and taken by someone who looks at them later (the monitor's
// timer). push never waits for the taker beyond a short copy; at most `capacity` frames wait,
// the oldest go first and are counted.
class FrameQueue {
public:
    explicit FrameQueue(std::size_t capacity = 100'000) : capacity_(capacity) {}
    void push(const std::vector<BusFrame>& frames);
    // Everything waiting, oldest first; `dropped` gets how many went since the last take.
    std::vector<BusFrame> take(std::size_t* dropped = nullptr);

private:
    std::mutex mutex_;
    std::size_t capacity_;
    std::deque<BusFrame> waiting_;
    std::size_t dropped_ = 0;
};
