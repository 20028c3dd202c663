#include "cli/Hook.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

extern char** environ;

namespace cli {

namespace {

using Clock = std::chrono::steady_clock;

// waitpid until `deadline`; true when the child was reaped (its status in `status`).
bool reapBy(pid_t pid, Clock::time_point deadline, int& status) {
    for (;;) {
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR))
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

HookRun runHook(const std::string& command,
                const std::vector<std::pair<std::string, std::string>>& environment,
                double timeoutSeconds) {
    HookRun result;
    // The environment is made before fork: the child only execs.
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const auto& [name, value] : environment)
            replaced = replaced || entry.rfind(name + "=", 0) == 0;
        if (!replaced)
            env.push_back(entry);
    }
    for (const auto& [name, value] : environment) env.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string shell = "/bin/sh", dashC = "-c", text = command;
    char* argv[] = {shell.data(), dashC.data(), text.data(), nullptr};

    int fds[2];
    if (::pipe(fds) != 0)
        return result;
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return result;
    }
    if (pid == 0) {
        ::setpgid(0, 0);
        ::dup2(fds[1], STDOUT_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        ::execve(argv[0], argv, envp.data());
        ::_exit(127);
    }
    ::setpgid(pid, pid);  // also here, so the group exists whichever runs first
    ::close(fds[1]);
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(timeoutSeconds));
    bool timedOut = false, reaped = false;
    int status = 0;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        // Not only the pipe: a child it left behind may hold it open after the shell is gone.
        const int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count() + 1, 50)));
        if (n < 0 && errno != EINTR)
            break;
        if (n > 0) {
            char buf[512];
            const ssize_t got = ::read(fds[0], buf, sizeof buf);
            if (got > 0) {
                result.output.append(buf, static_cast<std::size_t>(got));
                continue;
            }
            if (got == 0 || errno != EINTR)
                break;  // its standard output is closed
            continue;
        }
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            reaped = true;
            // What it wrote just before it ended.
            pollfd last{fds[0], POLLIN, 0};
            char buf[512];
            ssize_t got = 0;
            while (::poll(&last, 1, 0) > 0 && (got = ::read(fds[0], buf, sizeof buf)) > 0)
                result.output.append(buf, static_cast<std::size_t>(got));
            break;
        }
    }
    ::close(fds[0]);
    if (!timedOut && !reaped && !reapBy(pid, deadline, status))
        timedOut = true;
    if (timedOut) {
        ::kill(-pid, SIGTERM);
        if (!reapBy(pid, Clock::now() + std::chrono::seconds(2), status)) {
            ::kill(-pid, SIGKILL);
            reapBy(pid, Clock::now() + std::chrono::seconds(10), status);
        }
        // Whatever of the group outlived its shell.
        ::kill(-pid, SIGKILL);
        result.status = HookRun::Status::TimedOut;
        return result;
    }
    result.status = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? HookRun::Status::Succeeded
                                                                  : HookRun::Status::Failed;
    return result;
}

}  // namespace cli
