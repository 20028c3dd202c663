#include "link/CSerialPort.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <regex>
#include <utility>

#include "base/NumberText.h"
#include "base/Texts.h"
#include "link/TcpLine.h"

namespace {

constexpr std::array<std::pair<int, speed_t>, 10> kSpeeds{{{300, B300},
                                                           {600, B600},
                                                           {1200, B1200},
                                                           {2400, B2400},
                                                           {4800, B4800},
                                                           {9600, B9600},
                                                           {19200, B19200},
                                                           {38400, B38400},
                                                           {57600, B57600},
                                                           {115200, B115200}}};

speed_t speedFor(int baud, bool& known) {
    for (const auto& [rate, speed] : kSpeeds)
        if (rate == baud) {
            known = true;
            return speed;
        }
    known = false;
    return B0;
}

int rateOf(speed_t speed) {
    for (const auto& [rate, s] : kSpeeds)
        if (s == speed)
            return rate;
    return 0;
}

Message describeOpenError(int error, const std::string& path) {
    const Message where = Message::verbatim(path);
    switch (error) {
        case EACCES:
        case EPERM:
            return compose(texts::kPortPermission, {where});
        case ENOENT:
        case ENXIO:
        case ENODEV:
            return compose(texts::kPortMissing, {where});
        case EBUSY:
        case EWOULDBLOCK:
            return compose(texts::kPortBusy, {where});
        case ENOTTY:
            return compose(texts::kPortNotSerial, {where});
        default:
            return Message::verbatim(path + ": " + std::strerror(error));
    }
}

Message noRs485(const std::string& path, int error) {
    return compose(texts::kPortNoRs485,
                   {Message::verbatim(path), Message::verbatim(std::strerror(error))});
}

int remainingMs(CSerialPort::Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::microseconds>(deadline - CSerialPort::Clock::now());
    if (left.count() <= 0)
        return 0;
    return static_cast<int>((left.count() + 999) / 1000);
}

}  // namespace

CSerialPort::CSerialPort() : wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

CSerialPort::~CSerialPort() {
    closeDescriptor();
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

std::string CSerialPort::resolvePortPath(const std::string& name) {
    static const std::regex com("^COM([1-9][0-9]?)$");
    std::smatch m;
    if (std::regex_match(name, m, com))
        return "/dev/ttyS" + std::to_string(std::stoi(m[1]) - 1);
    return name;
}

void CSerialPort::closeDescriptor() {
    if (fd_ >= 0) {
        // The exclusive mode belongs to the terminal, not to our descriptor: a pseudo-terminal
        // (the simulator, socat) outlives us, and would refuse every later Open but root's.
        if (!tcp_) {
            ::ioctl(fd_, TIOCNXCL);
            ::flock(fd_, LOCK_UN);
        }
        ::close(fd_);
        fd_ = -1;
    }
    tcp_ = false;
    inProcess_ = false;
}

void CSerialPort::attachLine(std::shared_ptr<InProcessLine> line, std::shared_ptr<::Clock> clock) {
    line_ = std::move(line);
    clock_ = std::move(clock);
}

Status CSerialPort::Open(const SerialSettings& settings) {
    static const char* kFailed =
        KORV_TR_NOOP("Core", "System initialization, open the serial port error!");
    closeDescriptor();
    clearInterrupt();
    lastOpenFailure_.clear();
    const std::string path = resolvePortPath(settings.PortName);

    auto failWith = [&](const Message& why) {
        closeDescriptor();
        state_ = State::Closed;
        lastOpenFailure_ = why.text();
        return Status(Status::Code::OpenFailed, kFailed, MessageIcon::Exclamation)
            .withDetail(why)
            .withStatusLine(why);
    };
    auto fail = [&](int error) { return failWith(describeOpenError(error, path)); };
    auto opened = [&] {
        state_ = State::Open;
        lastByteAt_ = {};
        return Status(Status::Code::Ok,
                      compose(texts::kPortOpened, {Message::verbatim(settings.PortName)}),
                      MessageIcon::Exclamation)
            .withStatusLine({});
    };

    path_ = path;
    if (line_ && settings.PortName == line_->name()) {
        if (!line_->present())
            return fail(ENOENT);
        inProcess_ = true;
        takeWireSettings(settings);
        return opened();
    }
    if (isTcpPortName(settings.PortName)) {
        Message why;
        return connectLine(settings, why) ? opened() : failWith(why);
    }
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return fail(errno);
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0)
        return fail(errno);
    // TIOCEXCL keeps other users out, but not root: the advisory lock covers that case.
    ::ioctl(fd_, TIOCEXCL);
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
        return fail(errno == EWOULDBLOCK ? EBUSY : errno);

    const speed_t oldIn = cfgetispeed(&tio);
    const speed_t oldOut = cfgetospeed(&tio);
    const tcflag_t oldSize = tio.c_cflag & CSIZE;
    const tcflag_t oldStop = tio.c_cflag & CSTOPB;
    const tcflag_t oldParity = tio.c_cflag & (PARENB | PARODD);
    // Every flag from nothing: whatever another program left (CRTSCTS on an adapter without CTS
    // blocks every write, IXOFF eats 0x11 and 0x13 out of the answers) is gone. Only size, stop
    // bits and parity that match no known setting keep the driver's value.
    tio.c_iflag = INPCK;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    tio.c_cflag = CLOCAL | CREAD | oldSize | oldStop | oldParity;
    std::fill(std::begin(tio.c_cc), std::end(tio.c_cc), cc_t{0});
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;

    bool known = false;
    const speed_t speed = speedFor(settings.BaudRate, known);
    cfsetispeed(&tio, known ? speed : oldIn);
    cfsetospeed(&tio, known ? speed : oldOut);
    if (settings.DataBits == 8)
        tio.c_cflag = (tio.c_cflag & ~CSIZE) | CS8;
    if (settings.DataBits == 7)
        tio.c_cflag = (tio.c_cflag & ~CSIZE) | CS7;
    // termios has no 1.5 stop bits; two are the nearest a receiver expecting 1.5 always accepts.
    if (settings.StopBits == "1")
        tio.c_cflag &= ~CSTOPB;
    if (settings.StopBits == "1.5" || settings.StopBits == "2")
        tio.c_cflag |= CSTOPB;
    if (const auto parity = parityOf(settings.Parity)) {
        switch (*parity) {
            case Parity::None:
                tio.c_cflag &= ~(PARENB | PARODD);
                break;
            case Parity::Odd:
                tio.c_cflag |= PARENB | PARODD;
                break;
            case Parity::Even:
                tio.c_cflag = (tio.c_cflag | PARENB) & ~PARODD;
                break;
        }
    }
    if (settings.Rs485) {
        serial_rs485 rs{};
        rs.flags = SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
        if (::ioctl(fd_, TIOCSRS485, &rs) != 0)
            return failWith(noRs485(path, errno));
    }
    ::tcsetattr(fd_, TCSANOW, &tio);  // a refused setting is not fatal: the port is open
    ::tcflush(fd_, TCIOFLUSH);
    readBackLine();
    return opened();
}

bool CSerialPort::connectLine(const SerialSettings& settings, Message& failure) {
    // The device server drives its own line: no mode of ours reaches it.
    if (settings.Rs485) {
        failure = noRs485(settings.PortName, ENOTTY);
        return false;
    }
    fd_ = connectTcp(settings.PortName, kConnectTimeout, failure);
    if (fd_ < 0)
        return false;
    tcp_ = true;
    // The device server's serial side runs at the operator's settings: the deadlines count its
    // wire time, no termios is set here.
    takeWireSettings(settings);
    return true;
}

void CSerialPort::takeWireSettings(const SerialSettings& settings) {
    bool known = false;
    speedFor(settings.BaudRate, known);
    baudRate_ = known ? settings.BaudRate : 9600;
    bitsPerCharacter_ = 1 + (settings.DataBits == 7 ? 7 : 8) +
                        (parityOf(settings.Parity).value_or(Parity::None) != Parity::None) +
                        (settings.StopBits == "1" ? 1 : 2);
}

// What the driver really runs: a rate outside the list (or a refused one) kept the old rate.
void CSerialPort::readBackLine() {
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0)
        return;
    if (const int rate = rateOf(cfgetospeed(&tio)); rate > 0)
        baudRate_ = rate;
    int dataBits = 8;
    switch (tio.c_cflag & CSIZE) {
        case CS5:
            dataBits = 5;
            break;
        case CS6:
            dataBits = 6;
            break;
        case CS7:
            dataBits = 7;
            break;
        default:
            break;
    }
    bitsPerCharacter_ =
        1 + dataBits + ((tio.c_cflag & PARENB) ? 1 : 0) + ((tio.c_cflag & CSTOPB) ? 2 : 1);
}

Status CSerialPort::Close() {
    const bool wasClosed = state_ == State::Closed;
    closeDescriptor();
    state_ = State::Closed;
    clearInterrupt();
    return Status(wasClosed ? Status::Code::Closed : Status::Code::Ok,
                  KORV_TR_NOOP("Core", "The serial port is closed "), MessageIcon::Exclamation)
        .withStatusLine({});
}

Status CSerialPort::failIo(bool reading, int error) {
    // A dropped connection is a hang-up of the line.
    if (tcp_ && (error == ECONNRESET || error == EPIPE || error == ENOTCONN || error == ETIMEDOUT))
        error = EIO;
    const Message code = Message::verbatim(num::formatInt(error));
    // A dead line stays dead: every later call fails silently, so no caller polls it for ever.
    closeDescriptor();
    state_ = State::Closed;
    const Message why = error == EIO ? Message(KORV_TR_NOOP("Core", "the line hung up."))
                                     : Message::verbatim(std::strerror(error));
    failure_ =
        Status(Status::Code::LineFailed,
               compose(reading ? texts::kReadFailedCode : texts::kWriteFailedCode, {code}))
            .withStatusLine(compose(texts::kPortClosedBecause, {Message::verbatim(path_), why}));
    return failure_;
}

void CSerialPort::interrupt() {
    const std::uint64_t one = 1;
    if (wakeFd_ >= 0) [[maybe_unused]]
        auto w = ::write(wakeFd_, &one, sizeof one);
}

void CSerialPort::clearInterrupt() {
    std::uint64_t count = 0;
    if (wakeFd_ >= 0) [[maybe_unused]]
        auto r = ::read(wakeFd_, &count, sizeof count);
}

void CSerialPort::discardInput(std::vector<std::uint8_t>* dropped) {
    if (inProcess_) {
        std::vector<std::uint8_t> all;
        line_->read(all, 65536, now());
        if (dropped)
            dropped->insert(dropped->end(), all.begin(), all.end());
        return;
    }
    if (fd_ < 0)
        return;
    // A socket has no flush: what is waiting is read and dropped. Bounded, so a device that
    // never stops talking cannot hold the request back.
    if (dropped || tcp_) {
        std::uint8_t chunk[512];
        for (std::size_t total = 0; total < 65536 && inputWaiting() > 0;) {
            const ssize_t r = ::read(fd_, chunk, sizeof chunk);
            if (r <= 0)
                break;  // a hang-up shows at the next read
            if (dropped)
                dropped->insert(dropped->end(), chunk, chunk + r);
            total += static_cast<std::size_t>(r);
        }
    }
    if (!tcp_)
        ::tcflush(fd_, TCIFLUSH);
}

std::size_t CSerialPort::inputWaiting() const {
    if (inProcess_)
        return line_->waiting(now());
    int n = 0;
    if (fd_ < 0 || ::ioctl(fd_, FIONREAD, &n) != 0 || n < 0)
        return 0;
    return static_cast<std::size_t>(n);
}

Status CSerialPort::Write(const std::uint8_t* buffer, std::uint32_t n) {
    if (state_ == State::Closed)
        return Status::closed();
    if (state_ == State::NeverOpened)
        return Status(Status::Code::NotOpen, kWriteNotOpen);
    if (inProcess_) {
        if (line_->write(buffer, n, now()))
            return {};
        return failIo(false, EIO);
    }
    const auto deadline = Clock::now() + timing_.writeTimeout(n);
    std::uint32_t done = 0;
    while (done < n) {
        // A socket whose far end has gone must not raise SIGPIPE: the failed write says it.
        const ssize_t w = tcp_ ? ::send(fd_, buffer + done, n - done, MSG_NOSIGNAL)
                               : ::write(fd_, buffer + done, n - done);
        if (w > 0) {
            done += static_cast<std::uint32_t>(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR)
            return failIo(false, errno);
        const int wait = remainingMs(deadline);
        if (wait == 0)
            break;  // time-out: like the classic port, the call itself succeeded
        pollfd p{fd_, POLLOUT, 0};
        const int r = ::poll(&p, 1, wait);
        if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
            return failIo(false, EIO);
    }
    return {};
}

CSerialPort::Wait CSerialPort::waitReadable(Clock::time_point until) {
    if (inProcess_)
        return waitOnLine(until);
    for (;;) {
        pollfd p[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int pr = ::poll(p, wakeFd_ >= 0 ? 2 : 1, remainingMs(until));
        if (pr < 0) {
            if (errno == EINTR)
                continue;
            failIo(true, errno);
            return Wait::Failed;
        }
        if (pr == 0)
            return Wait::TimedOut;
        if (p[1].revents & POLLIN)
            return Wait::Interrupted;
        if (p[0].revents & POLLIN)
            return Wait::Readable;
        failIo(true, EIO);  // POLLHUP, POLLERR or POLLNVAL without data: the line hung up
        return Wait::Failed;
    }
}

// The in-process line: the clock moves to the next byte or to `until`, whichever is sooner.
CSerialPort::Wait CSerialPort::waitOnLine(Clock::time_point until) {
    static const std::atomic<int> kGoOn{0};
    for (;;) {
        pollfd wake{wakeFd_, POLLIN, 0};
        if (wakeFd_ >= 0 && ::poll(&wake, 1, 0) > 0)
            return Wait::Interrupted;
        const auto t = now();
        if (!line_->present()) {
            failIo(true, EIO);
            return Wait::Failed;
        }
        if (line_->waiting(t) > 0)
            return Wait::Readable;
        if (t >= until)
            return Wait::TimedOut;
        clock_->sleepUntilSteady(std::min(until, line_->nextEvent(t)), kGoOn);
    }
}

bool CSerialPort::readChunk(std::vector<std::uint8_t>* keep) {
    if (inProcess_) {
        std::vector<std::uint8_t> chunk;
        if (!line_->read(chunk, 512, now())) {
            failIo(true, EIO);
            return false;
        }
        if (!chunk.empty()) {
            lastByteAt_ = now();
            if (keep)
                keep->insert(keep->end(), chunk.begin(), chunk.end());
        }
        return true;
    }
    std::uint8_t chunk[512];
    const ssize_t r = ::read(fd_, chunk, sizeof chunk);
    if (r > 0) {
        lastByteAt_ = now();
        if (keep)
            keep->insert(keep->end(), chunk, chunk + r);
        return true;
    }
    if (r < 0 && (errno == EAGAIN || errno == EINTR))
        return true;
    // Readable yet nothing to read is end of file: the line hung up.
    failIo(true, r == 0 ? EIO : errno);
    return false;
}

Status CSerialPort::awaitBytes(Clock::time_point until, std::vector<std::uint8_t>* keep) {
    switch (waitReadable(until)) {
        case Wait::Readable:
            return readChunk(keep) ? Status() : failure_;
        case Wait::TimedOut:
            return {};
        case Wait::Interrupted:
            break;
        case Wait::Failed:
            return failure_;
    }
    return Status::closed();
}

Status CSerialPort::readUntil(std::vector<std::uint8_t>& received, Clock::time_point deadline,
                              const std::function<bool(const std::vector<std::uint8_t>&)>& done,
                              Clock::time_point silentAfter) {
    return readUntil(received, [&](const std::vector<std::uint8_t>& r) {
        return ReadWait{done(r), r.empty() ? std::min(deadline, silentAfter) : deadline};
    });
}

Status CSerialPort::readUntil(
    std::vector<std::uint8_t>& received,
    const std::function<ReadWait(const std::vector<std::uint8_t>&)>& look) {
    if (state_ == State::Closed)
        return Status::closed();
    if (state_ == State::NeverOpened)
        return Status(Status::Code::NotOpen, kReadNotOpen);
    for (;;) {
        const ReadWait w = look(received);
        // A time-out is no failure: the read itself succeeded with what arrived.
        if (w.done || now() >= w.until)
            return {};
        if (Status s = awaitBytes(w.until, &received); !s.ok())
            return s;
    }
}

Status CSerialPort::discardUntilQuiet(Clock::duration quiet, Clock::time_point quietSince,
                                      Clock::time_point limit, std::vector<std::uint8_t>* dropped) {
    if (state_ != State::Open)
        return Status::closed();
    for (;;) {
        const auto until = std::min(quietSince + quiet, limit);
        if (now() >= until)
            return {};
        const auto lastBefore = lastByteAt_;
        if (Status s = awaitBytes(until, dropped); !s.ok())
            return s;
        if (lastByteAt_ != lastBefore)
            quietSince = lastByteAt_;
    }
}

Status CSerialPort::Read(std::uint8_t* buffer, std::uint32_t n) {
    std::vector<std::uint8_t> received;
    Status s = readUntil(received, now() + timing_.readTimeout(n),
                         [n](const std::vector<std::uint8_t>& r) { return r.size() >= n; });
    if (s.ok() && !received.empty())  // nothing arrived: the caller's buffer stays as it was
        std::memcpy(buffer, received.data(), std::min<std::size_t>(received.size(), n));
    return s;
}
