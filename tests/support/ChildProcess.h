#pragma once
// A program run beside a test (a peer, the simulator), its standard output and error read
// through one pipe; ended and reaped at destruction.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(fds[1], 1);
            ::dup2(fds[1], 2);
            std::vector<char*> args;
            for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        ::close(fds[1]);
        out_ = fds[0];
    }
    ~ChildProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
        if (out_ >= 0)
            ::close(out_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Output until a line contains `text` (that line returned), or "" when the program ended or
    // `limit` passed first.
    std::string waitForLine(const std::string& text,
                            std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto until = std::chrono::steady_clock::now() + limit;
        for (;;) {
            for (auto end = buffer_.find('\n'); end != std::string::npos;
                 end = buffer_.find('\n')) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                if (line.find(text) != std::string::npos)
                    return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            if (out_ < 0 || left.count() <= 0)
                return {};
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return {};
            char chunk[256];
            const ssize_t r = ::read(out_, chunk, sizeof chunk);
            if (r <= 0)
                return {};
            buffer_.append(chunk, static_cast<std::size_t>(r));
        }
    }

    void signal(int sig) const {
        if (pid_ > 0)
            ::kill(pid_, sig);
    }
    // Everything the program still writes, then its exit status (128 + N for a signal N that
    // ended it), or -1 when it has not ended within `limit`.
    int finish(std::string& rest, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        rest = buffer_;
        buffer_.clear();
        const auto until = std::chrono::steady_clock::now() + limit;
        while (out_ >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            pollfd p{out_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return -1;
            char chunk[256];
            const ssize_t r = ::read(out_, chunk, sizeof chunk);
            if (r <= 0)
                break;
            rest.append(chunk, static_cast<std::size_t>(r));
        }
        int status = 0;
        if (::waitpid(pid_, &status, 0) != pid_)
            return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffer_;
};
