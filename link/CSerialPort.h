#pragma once
// The one serial port of the program, on POSIX termios.
//
// Thread contract: not locked itself. Every call goes through Bus, which holds the one bus lock
// around each exchange and around Open and Close.
//
// States: never opened -> Open -> closed. Read/Write on a never-opened port show the "not open"
// messages; on a closed port they fail silently. A hang-up of the line (adapter unplugged, the far
// end of a pseudo-terminal gone) is a failed read or write with errno EIO, and closes the port.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/OperatorMessages.h"
#include "link/SerialSettings.h"
#include "link/Timing.h"

class CSerialPort {
public:
    enum class State { NeverOpened, Open, Closed };
    using Clock = std::chrono::steady_clock;

    explicit CSerialPort(OperatorMessages& messages);
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    void setTiming(const Timing& timing) { timing_ = timing; }

    // 1 = opened, 0 = failed; shows its message in both cases.
    int Open(const SerialSettings& settings);
    // 1 = a descriptor was closed (or the port was never opened), 0 = already closed.
    int Close();
    // Blocks until n bytes have arrived or 10 n + 500 ms have passed; 1 also on a time-out.
    int Read(std::uint8_t* buffer, std::uint32_t n);
    // Blocks until all bytes are written or 50 n + 1000 ms have passed.
    int Write(const std::uint8_t* buffer, std::uint32_t n);

    // Drops everything received but not read yet.
    void DiscardInput();
    // Appends whatever arrives to `received` until done(received) or the deadline.
    // Same result and messages as Read.
    int ReadUntil(std::vector<std::uint8_t>& received, Clock::time_point deadline,
                  const std::function<bool(const std::vector<std::uint8_t>&)>& done);

    State state() const { return state_; }
    bool isOpen() const { return state_ == State::Open; }
    // Why the last Open failed, in words an operator can act on; empty after a success.
    const std::string& lastOpenFailure() const { return lastOpenFailure_; }

    // "COM1".."COM99" name /dev/ttyS0..; any other name is a device path used as it is.
    static std::string resolvePortPath(const std::string& name);

private:
    void failIo(bool reading, int error);
    void closeDescriptor();

    OperatorMessages& messages_;
    Timing timing_;
    int fd_ = -1;
    State state_ = State::NeverOpened;
    std::string lastOpenFailure_;
};
