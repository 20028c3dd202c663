#include "link/TcpLine.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/NumberText.h"
#include "base/Texts.h"

bool isTcpPortName(const std::string& name) {
    return name.rfind("tcp:", 0) == 0;
}

std::optional<TcpAddress> parseTcpPortName(const std::string& name) {
    if (!isTcpPortName(name))
        return std::nullopt;
    const std::string rest = name.substr(4);
    const auto colon = rest.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return std::nullopt;
    std::string host = rest.substr(0, colon);
    const std::string port = rest.substr(colon + 1);
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']')
            return std::nullopt;
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string::npos) {
        return std::nullopt;  // an IPv6 address needs its brackets
    }
    const bool digits = !port.empty() && port.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || !num::parseInteger(port, 1, 65535))
        return std::nullopt;
    return TcpAddress{host, port};
}

namespace {

void tune(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    // A connection whose far end vanished without a word (a cable pulled at the device server)
    // becomes a hang-up after about 11 s instead of time-outs for ever.
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    const int idle = 5, interval = 2, probes = 3;
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
}

// 0 when connected, else the error.
int connectOne(int fd, const addrinfo& ai, std::chrono::milliseconds timeout) {
    if (::connect(fd, ai.ai_addr, ai.ai_addrlen) == 0)
        return 0;
    if (errno != EINPROGRESS)
        return errno;
    pollfd p{fd, POLLOUT, 0};
    int r;
    do {
        r = ::poll(&p, 1, static_cast<int>(timeout.count()));
    } while (r < 0 && errno == EINTR);
    if (r == 0)
        return ETIMEDOUT;
    if (r < 0)
        return errno;
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
        return errno;
    return error;
}

}  // namespace

int connectTcp(const std::string& name, std::chrono::milliseconds timeout, Message& failure) {
    const auto address = parseTcpPortName(name);
    if (!address) {
        failure = compose(texts::kTcpBadName, {Message::verbatim(name)});
        return -1;
    }
    const std::string where = address->host + ":" + address->port;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int e = ::getaddrinfo(address->host.c_str(), address->port.c_str(), &hints, &found);
        e != 0) {
        failure = compose(texts::kTcpUnknownHost,
                          {Message::verbatim(address->host), Message::verbatim(::gai_strerror(e))});
        return -1;
    }
    int error = 0;
    for (const addrinfo* ai = found; ai; ai = ai->ai_next) {
        const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                ai->ai_protocol);
        if (fd < 0) {
            error = errno;
            continue;
        }
        error = connectOne(fd, *ai, timeout);
        if (error == 0) {
            ::freeaddrinfo(found);
            tune(fd);
            return fd;
        }
        ::close(fd);
    }
    ::freeaddrinfo(found);
    if (error == ETIMEDOUT)
        failure = compose(
            texts::kTcpTimeout,
            {Message::verbatim(where), Message::verbatim(num::formatInt(timeout.count() / 1000))});
    else
        failure = compose(texts::kTcpNoConnection,
                          {Message::verbatim(where), Message::verbatim(std::strerror(error))});
    return -1;
}
