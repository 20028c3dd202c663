#pragma once
// A control line of a running simulator, so a script (a pressure controller's hook) can set the
// applied pressure: a Unix socket at a path of the caller's choosing. One request a connection,
// one line each way:
//     "pressure 0.8\n"  ->  "ok\n"        (or "error ...\n" for anything else)
// The answer comes once the pressure is set, so a hook that has returned has taken effect.
//
// Thread contract: constructed and destroyed on one thread; connections are served on its own.

#include <optional>
#include <string>
#include <thread>

class SimBus;

class SimControlServer {
public:
    // Listens at `path` (an old socket there is replaced). Throws std::runtime_error when it
    // cannot.
    SimControlServer(SimBus& bus, std::string path);
    ~SimControlServer();
    SimControlServer(const SimControlServer&) = delete;
    SimControlServer& operator=(const SimControlServer&) = delete;

private:
    void serve();
    std::string answer(const std::string& request);

    SimBus& bus_;
    std::string path_;
    int listener_ = -1;
    int wake_ = -1;  // eventfd: the destructor stops the loop
    std::thread thread_;
};

// Sends one request line to the control socket at `path`; the answer line without its newline,
// or nullopt when no simulator answers within 5 s.
std::optional<std::string> sendSimControl(const std::string& path, const std::string& request);
