#pragma once
// The bus: every byte the program puts on or takes off the line passes through one Bus object.
//
// Thread contract: all public calls may come from any thread. One mutex is held for the whole of
// an exchange (guard, discard input, write, wait, read) and around Open and Close, so two
// exchanges never interleave whoever calls them. The bus shows nothing: Open and Close return
// what the port says for their caller to tell, and what a failed exchange has to say goes to
// the one status listener after the exchange has let go of the mutex, so a Close from the window
// never waits for an operator reading a message. Close also cuts short an exchange that is
// waiting for its answer. state() never waits for the lock.
//
// Answer contract: before each request the line has been quiet for the inter-frame silence (3.5
// characters, 1.75 ms above 19200 baud) since its last byte, ours or a device's, and the bus
// discards unread input. The echo of our own request, when the line gives one, is dropped. An
// answer counts only when it comes from the address that was asked and carries the function code
// that was asked; any other frame on the line (a late answer of another device, garbage) is
// skipped and the exchange keeps waiting for its own answer until its deadline. The exchange
// returns as soon as a complete answer with a good CRC, or the device's exception answer, is in.
// The bus never asks twice.
//
// Deadlines, measured from the end of the write:
// - "Classic" response time-out: the classic wait of the exchange plus the port's read time-out
//   (10 ms a byte + 500 ms), whatever arrives meanwhile.
// - N ms: the request's and the answer's wire time plus N. When not one byte has come N ms after
//   the request's wire time (and one character's), the address is silent and the exchange ends.
// - Either way an answer that has begun is read to its end while its pieces keep coming (USB
//   adapters hand bytes over in pieces), for at most its wire time plus 10 ms a byte; bytes that
//   keep coming beyond a whole answer's length cannot hold the bus past the deadline above.
// Late-answer guard: after an exchange with an address and function that sent nothing at all,
// a late answer could still come for twice that exchange's classic window; the next exchange
// with the same address and function waits, dropping what comes, only while that time lies
// ahead. Other addresses never wait for it.
//
// A status that is not ok() always means the operator has been told why through the listener
// (the port's "not open" or "Error Code" message), or has closed the port himself: a caller
// stops and adds no message of its own.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "link/BusTraffic.h"
#include "link/CSerialPort.h"
#include "link/Status.h"
#include "link/Timing.h"

class AnswerMatcher;

// The registers a read answer (function 0x03 or 0x04) carries, high byte first: only as many as
// its byte count declares and as fit before the CRC, so a reader never takes the CRC or the
// zeros of a missing tail for data.
class RegisterView {
public:
    RegisterView() = default;
    RegisterView(const std::uint8_t* data, std::size_t count) : data_(data), count_(count) {}
    std::size_t count() const { return count_; }
    // 0 beyond count().
    std::uint16_t at(std::size_t index) const {
        return index < count_
                   ? static_cast<std::uint16_t>(data_[2 * index] << 8 | data_[2 * index + 1])
                   : 0;
    }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t count_ = 0;
};

struct ExchangeResult {
    // What became of the exchange, one of:
    enum class Outcome {
        Answered,    // a whole answer with its CRC, carrying every register asked
        Refused,     // the device's exception answer
        Silent,      // not one byte of the asked device
        Cut,         // its answer began and stopped short
        BadCrc,      // a whole answer whose CRC does not check
        ShortCount,  // a read answer whose byte count declares fewer registers than were asked
        LineFailed,  // the port failed or is closed (see the contract above)
    };

    // Not ok() when the port failed or is closed (see the contract above); an exchange that has
    // not happened counts as on a closed port.
    Status status = Status::closed();
    // The request went out whole; with a failed status the line failed while its answer was
    // awaited, so the device may hold what was written.
    bool sent = false;
    // Exactly the expected number of bytes: the answer that arrived, zeros for what did not.
    std::vector<std::uint8_t> answer;
    // How many bytes of the answer arrived.
    std::size_t received = 0;
    // The device answered with an exception (function code with the high bit set). Its bytes are
    // not copied: a short frame padded with zeros would pass a CRC check over the padded length.
    bool refused = false;
    // Its exception code (1 illegal function, 2 illegal data address ...) when refused.
    std::uint8_t exceptionCode = 0;

    Outcome outcome() const;
    // Only an answered exchange has data to use; anything else counts as no answer.
    bool answered() const { return outcome() == Outcome::Answered; }
    bool lineFailed() const { return !status.ok(); }
    bool complete() const { return received == answer.size(); }
    // A complete answer whose last two bytes are the CRC of the bytes before them. Use this rather
    // than a CRC over `answer`: a shorter valid frame followed by zeros also has a matching CRC.
    // It says nothing of the frame's content: answered() does.
    bool crcOk() const;
    // The registers of an answered read; empty for anything else (a write's answer, no answer).
    RegisterView registers() const&;
    RegisterView registers() const&& = delete;  // would point into a dead answer
    // Register `index` (0-based) of the view above; 0 beyond it.
    std::uint16_t reg(std::size_t index) const& { return registers().at(index); }
};

// Sees what happens on the bus. Called on the thread that caused it, after the bus lock has been
// released; must return quickly and must not call the bus.
class BusObserver {
public:
    virtual ~BusObserver() = default;
    // Open, Close, or a line that failed and closed the port.
    virtual void portStateChanged(CSerialPort::State /*state*/) {}
    // The frames of one exchange (or send), in the order they were on the line. Whoever keeps
    // them copies them into a queue of its own (FrameQueue) and looks at them later.
    virtual void framesSeen(const std::vector<BusFrame>& /*frames*/) {}
};

class Bus {
public:
    static constexpr std::uint8_t kBroadcast = 0x7F;

    explicit Bus(Timing timing = {});

    // Takes the line settings and the response time-out from `settings`. The port's status, for
    // the caller to tell (ok() is the classic 1); the listener does not hear it.
    Status Open(const SerialSettings& settings);
    Status Close();
    CSerialPort::State state() const { return state_.load(); }
    bool isOpen() const { return state() == CSerialPort::State::Open; }
    std::string lastOpenFailure() const;
    // The response time-out taken by the last Open (0 = "Classic").
    int responseTimeoutMs() const;

    Timing timing() const;
    void setTiming(const Timing& timing);

    // The figures of every address since the last Open or resetHealth(); never waits for an
    // exchange.
    HealthTable health() const;
    void resetHealth();

    // `observer` must stay alive until removed; after removeObserver returns it is never called.
    void addObserver(BusObserver* observer);
    void removeObserver(BusObserver* observer);

    // Hears the status of an exchange or send that failed with something to say (the port is not
    // open, the line failed), once, on the caller's thread, after the bus lock has been released
    // and after the observers. One listener: whoever tells the operator installs it.
    using StatusListener = std::function<void(const Status&)>;
    void setStatusListener(StatusListener listener);

    // One request/answer exchange. `request` is the frame without its CRC; `answerLength` the
    // whole expected answer, CRC included; `waitMs` the classic wait between write and read.
    // `responseTimeoutMs` replaces the one of the last Open for this exchange alone (a quick
    // look at who answers); kOwnResponseTimeout keeps it.
    static constexpr int kOwnResponseTimeout = -1;
    ExchangeResult exchange(const std::vector<std::uint8_t>& request, std::size_t answerLength,
                            int waitMs, int responseTimeoutMs = kOwnResponseTimeout);
    // A request whose answer is not read (writes to address 127; the command that precedes a
    // coefficient download, whose echo arrives during the 6 s that follow).
    // Returns the write's result: 1 written, 0 failed (heard by the listener).
    int send(const std::vector<std::uint8_t>& request);

    // Function 0x04 for `count` registers from `start`.
    ExchangeResult readInputRegisters(std::uint8_t address, std::uint16_t start,
                                      std::uint16_t count, int waitMs,
                                      int responseTimeoutMs = kOwnResponseTimeout);
    // Function 0x10 with the given data bytes (high byte first per register), answer read.
    ExchangeResult writeRegisters(std::uint8_t address, std::uint16_t start,
                                  const std::vector<std::uint8_t>& data, int waitMs);

    // A device-side delay (the 5 s and 6 s store waits): sleeps outside the bus lock.
    // Returns false when `cancel` became non-zero meanwhile.
    bool pause(int ms, const std::atomic<int>* cancel = nullptr) const;
    // On: every exchange and send that has not begun fails at once without a word (Closed),
    // as on a port the operator closed, and pauses end; the exchange in flight finishes. The
    // command line's answer to a signal; off again for the clean-up it still owes the devices.
    void refuseNewExchanges(bool on);

    // Tests: the port opens `line` by its name, and every time of the bus (deadlines, silences,
    // guards, store waits, frame times) is read and waited for on `clock`. Set before any use.
    void attachLine(std::shared_ptr<InProcessLine> line, std::shared_ptr<Clock> clock);

private:
    struct Window {
        CSerialPort::Clock::time_point deadline;
        CSerialPort::Clock::time_point silentAfter = CSerialPort::Clock::time_point::max();
    };

    // Runs `work` under the bus lock, then tells the observers and the listener what happened.
    template <typename Work>
    auto locked(Work&& work);
    void notifyState(CSerialPort::State state);
    void notifyFrames(const std::vector<BusFrame>& frames);
    double msSinceCreated(CSerialPort::Clock::time_point t) const;
    // A frame of bytes dropped off the line, kept in frames_.
    void noteDropped(const std::vector<std::uint8_t>& bytes, std::uint8_t exchangeAddress);
    void noteReceived(
        const std::vector<std::uint8_t>& rx, const AnswerMatcher& match, std::uint8_t address,
        std::size_t answerLength, CSerialPort::Clock::time_point sent,
        const std::vector<std::pair<std::size_t, CSerialPort::Clock::time_point>>& arrivals);
    // Whether a request may go out: the port is open and new exchanges are not refused.
    Status portReady() const;
    ExchangeResult exchangeLocked(const std::vector<std::uint8_t>& frame, std::size_t answerLength,
                                  int waitMs, int responseTimeoutMs);
    Status awaitLateAnswers(std::uint16_t key);
    Status awaitSilence(std::uint8_t address);
    // Notes what a written request means for the line; returns when it was written.
    CSerialPort::Clock::time_point noteSent(const std::vector<std::uint8_t>& frame);
    Window answerWindow(CSerialPort::Clock::time_point sent, std::size_t requestLength,
                        std::size_t answerLength, int waitMs, int responseTimeoutMs) const;

    mutable std::mutex mutex_;
    Status said_;  // of the failed exchange or send under way, for the listener; guarded by mutex_
    CSerialPort port_;
    Timing timing_;
    int responseTimeoutMs_ = SerialSettings::kClassicResponseTimeout;
    // Address << 8 | function of exchanges that met silence -> until when their late answer
    // could still come.
    std::map<std::uint16_t, CSerialPort::Clock::time_point> lateUntil_;
    CSerialPort::Clock::time_point lastExchangeEnd_{};
    // When our last request's last bit left the line; that request, until the next one is due.
    CSerialPort::Clock::time_point lastSentEnd_{};
    std::vector<std::uint8_t> lastSent_;
    bool lineEchoes_ = false;  // learnt since Open: our requests come back to us
    std::atomic<CSerialPort::State> state_{CSerialPort::State::NeverOpened};
    std::atomic<bool> refusing_{false};
    std::shared_ptr<Clock> clock_;  // null: the steady clock itself
    CSerialPort::Clock::time_point now() const { return port_.now(); }
    const std::atomic<int> refusingNever_{0};  // a stop flag for clock waits that has none
    CSerialPort::Clock::time_point created_ = CSerialPort::Clock::now();
    std::vector<BusFrame> frames_;  // of the exchange under way; guarded by mutex_

    mutable std::mutex healthMutex_;
    HealthTable health_;

    mutable std::mutex timingMutex_;  // timing_ for pause(), which runs outside the bus lock
    std::mutex observersMutex_;
    std::vector<BusObserver*> observers_;
    std::mutex listenerMutex_;
    StatusListener listener_;
};

// Request builders shared by every caller (frames without CRC).
std::vector<std::uint8_t> buildReadInputRegisters(std::uint8_t address, std::uint16_t start,
                                                  std::uint16_t count);
std::vector<std::uint8_t> buildWriteSingle(std::uint8_t address, std::uint16_t reg,
                                           std::uint16_t value);
std::vector<std::uint8_t> buildWriteMultiple(std::uint8_t address, std::uint16_t start,
                                             const std::vector<std::uint8_t>& data);
