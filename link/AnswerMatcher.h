#pragma once
// Finds the answer to one request in the bytes that arrive for it: the first place where a frame
// of the asked address and function, of the expected length, carries a good CRC; or the device's
// exception answer (function with the high bit set, 5 bytes). Anything else on the line (a late
// answer of another device, garbage) is passed over.
//
// Linear in the bytes received: each place is classified once when its first two bytes are in,
// and the CRC of a candidate is computed once, when its last byte has arrived.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

class AnswerMatcher {
public:
    // address, function | 0x80, exception code, CRC.
    static constexpr std::size_t kRefusalLength = 5;

    AnswerMatcher(std::uint8_t address, std::uint8_t function, std::size_t length);

    // Looks at the bytes of `rx` not seen yet; `rx` only grows between calls. True once the
    // answer or a refusal is in.
    bool feed(const std::vector<std::uint8_t>& rx);

    bool found() const { return found_; }
    bool refused() const { return refused_; }
    std::size_t start() const { return start_; }
    // The first place where address and function match: where a partial answer begins.
    std::optional<std::size_t> firstCandidate() const { return first_; }
    // How many CRCs have been computed (at most one per place).
    std::size_t crcChecks() const { return crcChecks_; }

private:
    std::uint8_t address_;
    std::uint8_t function_;
    std::size_t length_;
    std::size_t scanned_ = 0;          // places before this one are classified
    std::deque<std::size_t> pending_;  // candidates still waiting for their last bytes
    std::optional<std::size_t> first_;
    bool found_ = false;
    bool refused_ = false;
    std::size_t start_ = 0;
    std::size_t crcChecks_ = 0;
};
