#include "sim/SimTcpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace {

// Everything of `n` bytes to `fd`, waiting while it is full; false when it is gone.
bool sendAll(int fd, const std::uint8_t* bytes, std::size_t n, bool socket) {
    while (n > 0) {
        const ssize_t w = socket ? ::send(fd, bytes, n, MSG_NOSIGNAL) : ::write(fd, bytes, n);
        if (w > 0) {
            bytes += w;
            n -= static_cast<std::size_t>(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 1000) <= 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
            return false;
    }
    return true;
}

// What one side has for the other; false when it ended (closed, hung up, failed).
bool pass(int from, int to, bool toSocket) {
    std::uint8_t chunk[512];
    const ssize_t r = ::read(from, chunk, sizeof chunk);
    if (r < 0)
        return errno == EAGAIN || errno == EINTR;
    if (r == 0)
        return false;
    return sendAll(to, chunk, static_cast<std::size_t>(r), toSocket);
}

}  // namespace

SimTcpServer::SimTcpServer(std::string terminalPath, int port)
    : terminalPath_(std::move(terminalPath)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (listener_ < 0 || wake_ < 0)
        throw std::runtime_error(std::string("cannot make a socket: ") + std::strerror(errno));
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(listener_, 4) != 0) {
        const int e = errno;
        ::close(listener_);
        ::close(wake_);
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port) + ": " +
                                 std::strerror(e));
    }
    socklen_t len = sizeof a;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { serve(); });
}

SimTcpServer::~SimTcpServer() {
    const std::uint64_t one = 1;
    [[maybe_unused]] auto w = ::write(wake_, &one, sizeof one);
    if (thread_.joinable())
        thread_.join();
    ::close(listener_);
    ::close(wake_);
}

std::string SimTcpServer::portName() const {
    return "tcp:127.0.0.1:" + std::to_string(port_);
}

bool SimTcpServer::stopping() const {
    pollfd p{wake_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}

void SimTcpServer::serve() {
    for (;;) {
        pollfd p[2] = {{listener_, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (::poll(p, 2, -1) < 0 && errno != EINTR)
            return;
        if (p[1].revents & POLLIN)
            return;
        if (!(p[0].revents & POLLIN))
            continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0)
            continue;
        ++connections_;
        const int on = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        relay(client);
        ::close(client);
        if (stopping())
            return;
    }
}

void SimTcpServer::relay(int client) {
    const int tty = ::open(terminalPath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (tty < 0)
        return;  // the line is gone: the connection closes at once
    termios tio{};
    if (::tcgetattr(tty, &tio) == 0) {
        cfmakeraw(&tio);
        ::tcsetattr(tty, TCSANOW, &tio);
    }
    for (;;) {
        pollfd p[3] = {{client, POLLIN, 0}, {tty, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (::poll(p, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (p[2].revents & POLLIN)
            break;
        if (p[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            if (!pass(client, tty, false))
                break;
        }
        if (p[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            if (!pass(tty, client, true))
                break;
        }
    }
    ::close(tty);
}
