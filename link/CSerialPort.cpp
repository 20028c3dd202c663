#include "link/CSerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <regex>
#include <thread>

namespace {

speed_t speedFor(int baud, bool& known) {
    known = true;
    switch (baud) {
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            known = false;
            return B0;
    }
}

std::string describeOpenError(int error, const std::string& path) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "Permission denied on " + path +
                   ": add your user to the dialout group (sudo usermod -aG dialout $USER) and log "
                   "in again.";
        case ENOENT:
        case ENXIO:
        case ENODEV:
            return "No such device: " + path + ". Is the adapter plugged in?";
        case EBUSY:
        case EWOULDBLOCK:
            return path + " is busy: another program is using this port.";
        case ENOTTY:
            return path + " is not a serial port.";
        default:
            return path + ": " + std::strerror(error);
    }
}

int remainingMs(CSerialPort::Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::microseconds>(deadline - CSerialPort::Clock::now());
    if (left.count() <= 0)
        return 0;
    return static_cast<int>((left.count() + 999) / 1000);
}

}  // namespace

CSerialPort::CSerialPort(OperatorMessages& messages) : messages_(messages) {}

CSerialPort::~CSerialPort() {
    closeDescriptor();
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
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

int CSerialPort::Open(const SerialSettings& settings) {
    static const char* kFailed = "System initialization, open the serial port error!";
    closeDescriptor();
    lastOpenFailure_.clear();
    const std::string path = resolvePortPath(settings.PortName);

    auto fail = [&](int error) {
        closeDescriptor();
        state_ = State::Closed;
        lastOpenFailure_ = describeOpenError(error, path);
        messages_.showWithDetail(kFailed, MessageIcon::Exclamation, lastOpenFailure_);
        messages_.status(lastOpenFailure_);
        return 0;
    };

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
    cfmakeraw(&tio);
    // cfmakeraw forces 8N1; settings that match no known value keep what the driver had.
    tio.c_cflag =
        (tio.c_cflag & ~(CSIZE | CSTOPB | PARENB | PARODD)) | oldSize | oldStop | oldParity;
    tio.c_cflag |= CLOCAL | CREAD;
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
    tio.c_iflag |= INPCK;
    if (settings.Parity == "No parity")
        tio.c_cflag &= ~(PARENB | PARODD);
    if (settings.Parity == "Odd parity")
        tio.c_cflag |= PARENB | PARODD;
    if (settings.Parity == "even parity")
        tio.c_cflag = (tio.c_cflag | PARENB) & ~PARODD;
    ::tcsetattr(fd_, TCSANOW, &tio);  // a refused setting is not fatal: the port is open
    ::tcflush(fd_, TCIOFLUSH);

    state_ = State::Open;
    messages_.show("System initialization, open the serial port " + settings.PortName + " Success!",
                   MessageIcon::Exclamation);
    return 1;
}

int CSerialPort::Close() {
    const bool wasClosed = state_ == State::Closed;
    closeDescriptor();
    state_ = State::Closed;
    messages_.show("The serial port is closed ", MessageIcon::Exclamation);
    return wasClosed ? 0 : 1;
}

void CSerialPort::failIo(bool reading, int error) {
    if (reading)
        messages_.show("Error Code" + std::to_string(error) + "read serial operation failed!");
    else
        messages_.show("Error Code" + std::to_string(error) + ",Write serial operation failed!");
    // A dead line stays dead: every later call fails silently, so no caller polls it for ever.
    closeDescriptor();
    state_ = State::Closed;
}

void CSerialPort::DiscardInput() {
    if (fd_ >= 0)
        ::tcflush(fd_, TCIFLUSH);
}

int CSerialPort::Write(const std::uint8_t* buffer, std::uint32_t n) {
    if (state_ == State::Closed)
        return 0;
    if (state_ == State::NeverOpened) {
        messages_.show("The serial port is not open,Write serial operation failed!");
        return 0;
    }
    const auto deadline = Clock::now() + timing_.writeTimeout(n);
    std::uint32_t done = 0;
    while (done < n) {
        const ssize_t w = ::write(fd_, buffer + done, n - done);
        if (w > 0) {
            done += static_cast<std::uint32_t>(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR) {
            failIo(false, errno);
            return 0;
        }
        const int wait = remainingMs(deadline);
        if (wait == 0)
            break;  // time-out: like the classic port, the call itself succeeded
        pollfd p{fd_, POLLOUT, 0};
        const int r = ::poll(&p, 1, wait);
        if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            failIo(false, EIO);
            return 0;
        }
    }
    return 1;
}

int CSerialPort::ReadUntil(std::vector<std::uint8_t>& received, Clock::time_point deadline,
                           const std::function<bool(const std::vector<std::uint8_t>&)>& done) {
    if (state_ == State::Closed)
        return 0;
    if (state_ == State::NeverOpened) {
        messages_.show("The serial port is not open, read serial operation failed!");
        return 0;
    }
    std::uint8_t chunk[256];
    while (!done(received)) {
        pollfd p{fd_, POLLIN, 0};
        const int pr = ::poll(&p, 1, remainingMs(deadline));
        if (pr < 0) {
            if (errno == EINTR)
                continue;
            failIo(true, errno);
            return 0;
        }
        if (pr == 0)
            break;  // time-out: the read itself succeeded with what arrived
        if (p.revents & POLLIN) {
            const ssize_t r = ::read(fd_, chunk, sizeof chunk);
            if (r > 0) {
                received.insert(received.end(), chunk, chunk + r);
                continue;
            }
            if (r < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            // Readable yet nothing to read is end of file: the line hung up.
            failIo(true, r == 0 ? EIO : errno);
            return 0;
        }
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            failIo(true, EIO);
            return 0;
        }
    }
    return 1;
}

int CSerialPort::Read(std::uint8_t* buffer, std::uint32_t n) {
    std::vector<std::uint8_t> received;
    const int ok = ReadUntil(received, Clock::now() + timing_.readTimeout(n),
                             [n](const std::vector<std::uint8_t>& r) { return r.size() >= n; });
    if (ok && !received.empty())  // nothing arrived: the caller's buffer stays as it was
        std::memcpy(buffer, received.data(), std::min<std::size_t>(received.size(), n));
    return ok;
}
