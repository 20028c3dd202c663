#pragma once
// The one serial port of the program, on POSIX termios, or on a TCP connection to a serial
// device server when the name is "tcp:HOST:PORT" (link/TcpLine.h): the descriptor is a socket
// then, and only opening, discarding input and closing differ; line settings are not applied
// (the device server has its own), but they still give the wire time of the deadlines.
//
// Thread contract: not locked itself. Every call goes through Bus, which holds the one bus lock
// around each exchange and around Open and Close; only interrupt() may come from any thread at
// any time.
//
// States: never opened -> Open -> closed. Read/Write on a never-opened port return the "not open"
// messages; on a closed port they fail silently. A hang-up of the line (adapter unplugged, the far
// end of a pseudo-terminal gone, a dropped connection) is a failed read or write with errno EIO,
// and closes the port. Every call returns what it came to (link/Status.h) and shows nothing:
// whoever called hands it to the operator.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/Texts.h"
#include "link/InProcessLine.h"
#include "link/SerialSettings.h"
#include "link/Status.h"
#include "link/Timing.h"

class CSerialPort {
public:
    enum class State { NeverOpened, Open, Closed };
    using Clock = std::chrono::steady_clock;

    static constexpr const char* kReadNotOpen =
        KORV_TR_NOOP("Core", "The serial port is not open, read serial operation failed!");
    static constexpr const char* kWriteNotOpen =
        KORV_TR_NOOP("Core", "The serial port is not open,Write serial operation failed!");

    CSerialPort();
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    void setTiming(const Timing& timing) { timing_ = timing; }
    // Tests: an Open of `line`'s name talks to it instead of a descriptor, and every time of the
    // port is read on `clock`, whose steady time the waits move on. Set before the first Open.
    void attachLine(std::shared_ptr<InProcessLine> line, std::shared_ptr<::Clock> clock);
    // The steady time the port's deadlines are points of.
    Clock::time_point now() const { return clock_ ? clock_->steadyNow() : Clock::now(); }

    // ok() = opened (the classic 1), else OpenFailed; says so in both cases.
    Status Open(const SerialSettings& settings);
    // ok() = a descriptor was closed (or the port was never opened), Closed = it was closed
    // already (the classic 1 and 0); says "closed" in both cases.
    Status Close();
    // Blocks until n bytes have arrived or 10 n + 500 ms have passed; ok() also on a time-out.
    Status Read(std::uint8_t* buffer, std::uint32_t n);
    // Blocks until all bytes are written or 50 n + 1000 ms have passed.
    Status Write(const std::uint8_t* buffer, std::uint32_t n);

    // How long a TCP connection may take to be accepted.
    static constexpr std::chrono::milliseconds kConnectTimeout{3000};

    // Drops everything received but not read yet; what could still be read first goes into
    // `dropped` when given.
    void discardInput(std::vector<std::uint8_t>* dropped = nullptr);
    // Bytes received but not read yet.
    std::size_t inputWaiting() const;
    // Appends whatever arrives to `received` until done(received), the deadline, or - while
    // nothing at all has arrived - `silentAfter`. The deadlines hold however many bytes keep
    // coming. `done` sees the whole buffer after every chunk and should look only at what is new.
    // Same status as Read; Closed, silent, when interrupted.
    Status readUntil(std::vector<std::uint8_t>& received, Clock::time_point deadline,
                     const std::function<bool(const std::vector<std::uint8_t>&)>& done,
                     Clock::time_point silentAfter = Clock::time_point::max());
    // The same with a deadline that follows what has arrived: `look` sees the whole buffer at
    // once and after every chunk and says whether the read is done, else until when it waits.
    struct ReadWait {
        bool done = false;
        Clock::time_point until;
    };
    Status readUntil(std::vector<std::uint8_t>& received,
                     const std::function<ReadWait(const std::vector<std::uint8_t>&)>& look);
    // Reads and drops bytes until the line has been quiet for `quiet` (counted from
    // `quietSince`, or from the last byte dropped) or until `limit`. Same result as readUntil.
    // The bytes dropped go into `dropped` when given.
    Status discardUntilQuiet(Clock::duration quiet, Clock::time_point quietSince,
                             Clock::time_point limit, std::vector<std::uint8_t>* dropped = nullptr);
    // When the last byte was read off the line (the epoch when none has been).
    Clock::time_point lastByteAt() const { return lastByteAt_; }

    // Makes a wait in progress (or the next one) end at once, silently (Closed); any thread. Close
    // clears it, so an operator's Close never waits for an exchange's deadline.
    void interrupt();
    void clearInterrupt();

    State state() const { return state_; }
    bool isOpen() const { return state_ == State::Open; }
    // Why the last Open failed, in words an operator can act on; empty after a success.
    const std::string& lastOpenFailure() const { return lastOpenFailure_; }
    // The line as the driver runs it since Open: bits a second and bits a character (start,
    // data, parity and stop bits).
    int baudRate() const { return baudRate_; }
    int bitsPerCharacter() const { return bitsPerCharacter_; }
    // The whole-character quiet a device needs before a request (link/Timing.h).
    Clock::duration interFrameSilence() const {
        return Timing::interFrameSilence(baudRate_, bitsPerCharacter_);
    }

    // "COM1".."COM99" name /dev/ttyS0..; any other name is a device path used as it is.
    static std::string resolvePortPath(const std::string& name);

private:
    enum class Wait { Readable, TimedOut, Interrupted, Failed };
    Wait waitReadable(Clock::time_point until);
    Wait waitOnLine(Clock::time_point until);
    // The rate and character length the deadlines count with, where no driver is asked.
    void takeWireSettings(const SerialSettings& settings);
    // Reads what is waiting (into `keep` when given); false when the line failed (failure_ set,
    // port closed).
    bool readChunk(std::vector<std::uint8_t>* keep);
    // One wait until `until` and what it brought: not ok() when the line failed or the wait was
    // interrupted.
    Status awaitBytes(Clock::time_point until, std::vector<std::uint8_t>* keep);
    // Closes the port on a failed read or write and keeps why in failure_, which it returns.
    Status failIo(bool reading, int error);
    void closeDescriptor();
    void readBackLine();
    // The descriptor of a "tcp:" name; false (fd_ < 0, `failure` set) when it cannot be had.
    bool connectLine(const SerialSettings& settings, Message& failure);

    Timing timing_;
    int fd_ = -1;
    bool tcp_ = false;  // fd_ is a connected socket
    int wakeFd_ = -1;   // eventfd: interrupt()
    State state_ = State::NeverOpened;
    std::string path_;
    std::string lastOpenFailure_;
    Status failure_;  // of the last failIo
    int baudRate_ = 9600;
    int bitsPerCharacter_ = 10;
    Clock::time_point lastByteAt_{};
    std::shared_ptr<InProcessLine> line_;
    std::shared_ptr<::Clock> clock_;
    bool inProcess_ = false;  // open on line_
};
