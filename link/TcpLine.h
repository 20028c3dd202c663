#pragma once
// RTU frames over a TCP connection: a serial device server in transparent mode, or the
// simulator's --tcp. A port name "tcp:HOST:PORT" names one; the port opens it instead of a
// terminal and everything above the descriptor stays as it is.

#include <chrono>
#include <optional>
#include <string>

#include "base/Message.h"

struct TcpAddress {
    std::string host;
    std::string port;
};

// Whether `name` asks for a TCP connection at all ("tcp:" in front).
bool isTcpPortName(const std::string& name);
// "tcp:HOST:PORT" with a port from 1 to 65535; HOST may be a name, an IPv4 address or an IPv6
// address in brackets ("tcp:[::1]:502").
std::optional<TcpAddress> parseTcpPortName(const std::string& name);

// A connected, non-blocking stream socket with TCP_NODELAY and keep-alive, or -1 and `failure`
// says why in words an operator can act on. Waits at most `timeout` for the connection.
int connectTcp(const std::string& name, std::chrono::milliseconds timeout, Message& failure);
