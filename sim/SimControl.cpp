#include "sim/SimControl.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "base/NumberText.h"
#include "sim/SimBus.h"

namespace {

constexpr int kLineLimit = 256;
constexpr int kWaitMs = 5000;

bool socketAddress(const std::string& path, sockaddr_un& out) {
    std::memset(&out, 0, sizeof out);
    out.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof out.sun_path)
        return false;
    std::memcpy(out.sun_path, path.c_str(), path.size());
    return true;
}

// One line (without its newline) from `fd`, waiting at most kWaitMs for each part.
std::optional<std::string> readLine(int fd) {
    std::string line;
    while (line.size() < kLineLimit) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kWaitMs) <= 0)
            return std::nullopt;
        char c;
        const ssize_t n = ::read(fd, &c, 1);
        if (n <= 0)
            return line.empty() ? std::nullopt : std::optional<std::string>(line);
        if (c == '\n')
            return line;
        line += c;
    }
    return std::nullopt;
}

void writeAll(int fd, const std::string& s) {
    std::size_t done = 0;
    while (done < s.size()) {
        const ssize_t n = ::send(fd, s.data() + done, s.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

SimControlServer::SimControlServer(SimBus& bus, std::string path)
    : bus_(bus), path_(std::move(path)) {
    sockaddr_un addr;
    if (!socketAddress(path_, addr))
        throw std::runtime_error("control path too long: " + path_);
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0)
        throw std::runtime_error("control socket: " + std::string(std::strerror(errno)));
    ::unlink(path_.c_str());
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener_, 4) != 0) {
        const std::string why = std::strerror(errno);
        ::close(listener_);
        throw std::runtime_error("control socket " + path_ + ": " + why);
    }
    wake_ = ::eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { serve(); });
}

SimControlServer::~SimControlServer() {
    const std::uint64_t one = 1;
    if (::write(wake_, &one, sizeof one) < 0) {
        // The loop also ends when the listener is closed below.
    }
    thread_.join();
    ::close(wake_);
    ::close(listener_);
    ::unlink(path_.c_str());
}

void SimControlServer::serve() {
    for (;;) {
        pollfd p[2] = {{listener_, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (::poll(p, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (p[1].revents)
            return;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        if (const auto request = readLine(client))
            writeAll(client, answer(*request) + "\n");
        ::close(client);
    }
}

std::string SimControlServer::answer(const std::string& request) {
    const std::string verb = "pressure ";
    if (request.rfind(verb, 0) != 0)
        return "error unknown request";
    const auto value = num::parseDouble(request.substr(verb.size()));
    if (!value)
        return "error not a number";
    bus_.setAppliedPressure(*value);
    return "ok";
}

std::optional<std::string> sendSimControl(const std::string& path, const std::string& request) {
    sockaddr_un addr;
    if (!socketAddress(path, addr))
        return std::nullopt;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        writeAll(fd, request + "\n");
        reply = readLine(fd);
    }
    ::close(fd);
    return reply;
}
