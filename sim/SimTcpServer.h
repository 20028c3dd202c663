#pragma once
// A terminal served over TCP on 127.0.0.1, as a serial device server in transparent mode serves
// its RS-485 side: one connection at a time, bytes relayed both ways unchanged. Put in front of a
// SimBus's terminal, a master reaches the simulated devices with the port name portName(); the
// simulator still paces the answers as its line would.
//
// When the terminal hangs up (SimBus::hangUp), the connection is closed: the master sees a
// dropped connection. When the master lets go, the next connection is accepted.
//
// Thread contract: constructed and destroyed on one thread; the relay runs on its own.

#include <atomic>
#include <string>
#include <thread>

class SimTcpServer {
public:
    // Listens on 127.0.0.1:`port` (0: a free port). Throws std::runtime_error when it cannot.
    SimTcpServer(std::string terminalPath, int port = 0);
    ~SimTcpServer();
    SimTcpServer(const SimTcpServer&) = delete;
    SimTcpServer& operator=(const SimTcpServer&) = delete;

    int port() const { return port_; }
    // "tcp:127.0.0.1:PORT".
    std::string portName() const;
    // Connections accepted so far.
    int connections() const { return connections_; }

private:
    void serve();
    // Relays between the connection and the terminal until one of them ends.
    void relay(int client);
    bool stopping() const;

    std::string terminalPath_;
    int listener_ = -1;
    int wake_ = -1;  // eventfd: the destructor stops the relay
    int port_ = 0;
    std::atomic<int> connections_{0};
    std::thread thread_;
};
