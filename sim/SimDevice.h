#pragma once
// One simulated switch-transmitter: registers 1..40 as the devices carry them, a raw sensor
// reading that follows the applied pressure through the device's own gain and offset, and a
// measured value computed from the raw reading with the K and B written to registers 24-27.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

struct SimFaults {
    bool silent = false;       // never answers
    bool badCrc = false;       // answers with a corrupted CRC
    bool shortAnswer = false;  // sends only the first half of its answer
    bool garbage = false;      // sends bytes that are no frame instead of its answer
    // A read answer of the asked length and a good CRC whose byte count declares one register
    // fewer than it was asked for.
    bool shortCount = false;
    int lateMs = 0;     // answers this much later than its latency
    int lateEvery = 1;  // ... only every lateEvery-th answer (1: every answer)
    // Instead of its answer, sends bytes without a pause for this long: its own address and
    // function among them, never a valid frame.
    int streamMs = 0;
    bool refuse = false;    // answers every request with an exception (code 04, device failure)
    int exceptionCode = 0;  // answers every request with this exception code (0: none)
    // Echoes every write as if it had taken it, but keeps its registers as they were.
    bool ignoreWrites = false;

    bool any() const {
        return silent || badCrc || shortAnswer || shortCount || garbage || lateMs > 0 ||
               streamMs > 0 || refuse || exceptionCode > 0 || ignoreWrites;
    }
};

class SimDevice {
public:
    static constexpr int kRegisterCount = 41;  // registers 0..40

    explicit SimDevice(std::uint8_t address);

    std::uint8_t address() const { return address_; }
    std::uint16_t reg(int r) const { return regs_.at(static_cast<std::size_t>(r)); }
    void setReg(int r, std::uint16_t v) { regs_.at(static_cast<std::size_t>(r)) = v; }
    const std::array<std::uint16_t, kRegisterCount>& registers() const { return regs_; }

    double gain() const { return gain_; }
    double offset() const { return offset_; }
    void setGainOffset(double gain, double offset) {
        gain_ = gain;
        offset_ = offset;
    }
    bool calibrated() const { return calibrated_; }
    float coefficientK() const;
    float coefficientB() const;

    // Raw reading for the applied pressure (in the units of the device's range).
    std::uint16_t rawReading(double applied) const;
    // What register 23 reports at `seconds` since the simulator started.
    std::uint16_t measuredValue(double applied, double seconds) const;
    // Counting mode: register 23 reads how many requests have read it so far (1, 2, 3 ...), so
    // every answer names the request it belongs to.
    void setCountingReads(bool on) { counting_ = on; }
    // See SimFaults::ignoreWrites.
    void setIgnoresWrites(bool on) { ignoresWrites_ = on; }
    // Refreshes registers 22 and 23 for `request` before it is handled.
    void refreshReadings(const std::vector<std::uint8_t>& request, double applied, double seconds);

    // Handles a request addressed to this device (or to 127); the answer without faults applied,
    // nothing for a broadcast. Registers 22 and 23 are refreshed by the caller first.
    std::optional<std::vector<std::uint8_t>> handle(const std::vector<std::uint8_t>& request,
                                                    bool broadcast);

private:
    std::uint8_t address_;
    std::array<std::uint16_t, kRegisterCount> regs_{};
    double gain_;
    double offset_;
    bool calibrated_ = false;
    bool counting_ = false;
    bool ignoresWrites_ = false;
    std::uint16_t reads_ = 0;
};
