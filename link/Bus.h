#pragma once
// The bus: every byte the program puts on or takes off the line passes through one Bus object.
//
// Thread contract: all public calls may come from any thread. One mutex is held for the whole of
// an exchange (discard input, write, wait, read) and around Open and Close, so two exchanges
// never interleave whoever calls them.
//
// Answer contract: before each request the bus discards unread input. An answer counts only when
// it comes from the address that was asked and carries the function code that was asked; any
// other frame on the line (a late answer of an earlier exchange, garbage) is skipped and the
// exchange keeps waiting for its own answer until its deadline. The wait before reading and the
// read time-out form that one deadline; the exchange returns as soon as a complete answer with a
// good CRC is in. There are no retries.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "link/CSerialPort.h"
#include "link/Timing.h"

struct ExchangeResult {
    // 0 when the port failed (its message has been shown) or is closed.
    int ioOk = 0;
    // Exactly the expected number of bytes: the answer that arrived, zeros for what did not.
    std::vector<std::uint8_t> answer;
    // How many bytes of the answer arrived.
    std::size_t received = 0;
    // The device answered with an exception (function code with the high bit set). Its bytes are
    // not copied: a short frame padded with zeros would pass a CRC check over the padded length.
    bool refused = false;

    bool complete() const { return received == answer.size(); }
    // A complete answer whose last two bytes are the CRC of the bytes before them. Use this rather
    // than a CRC over `answer`: a shorter valid frame followed by zeros also has a matching CRC.
    bool crcOk() const;
    // Register `index` (0-based) of a function 0x04 answer, high byte first.
    std::uint16_t reg(std::size_t index) const;
};

class Bus {
public:
    static constexpr std::uint8_t kBroadcast = 0x7F;

    explicit Bus(OperatorMessages& messages, Timing timing = {});

    int Open(const SerialSettings& settings);
    int Close();
    CSerialPort::State state() const;
    bool isOpen() const { return state() == CSerialPort::State::Open; }
    std::string lastOpenFailure() const;

    Timing timing() const;
    void setTiming(const Timing& timing);

    // One request/answer exchange. `request` is the frame without its CRC; `answerLength` the
    // whole expected answer, CRC included; `waitMs` the classic wait between write and read.
    ExchangeResult exchange(const std::vector<std::uint8_t>& request, std::size_t answerLength,
                            int waitMs);
    // A request whose answer is not read (writes to address 127; the command that precedes a
    // coefficient download, whose echo arrives during the 6 s that follow).
    // Returns the write's result.
    int send(const std::vector<std::uint8_t>& request);

    // Function 0x04 for `count` registers from `start`.
    ExchangeResult readInputRegisters(std::uint8_t address, std::uint16_t start,
                                      std::uint16_t count, int waitMs);
    // Function 0x10 with the given data bytes (high byte first per register), answer read.
    ExchangeResult writeRegisters(std::uint8_t address, std::uint16_t start,
                                  const std::vector<std::uint8_t>& data, int waitMs);

    // A device-side delay (the 5 s and 6 s store waits): sleeps outside the bus lock.
    // Returns false when `cancel` became non-zero meanwhile.
    bool pause(int ms, const std::atomic<int>* cancel = nullptr) const;

private:
    mutable std::mutex mutex_;
    CSerialPort port_;
    Timing timing_;
};

// Request builders shared by every caller (frames without CRC).
std::vector<std::uint8_t> buildReadInputRegisters(std::uint8_t address, std::uint16_t start,
                                                  std::uint16_t count);
std::vector<std::uint8_t> buildWriteSingle(std::uint8_t address, std::uint16_t reg,
                                           std::uint16_t value);
std::vector<std::uint8_t> buildWriteMultiple(std::uint8_t address, std::uint16_t start,
                                             const std::vector<std::uint8_t>& data);
