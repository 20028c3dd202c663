#pragma once
// The operator's hook commands (--apply, --measure): run by /bin/sh in a process group of their
// own, bounded in time, with facts of the step in their environment.

#include <string>
#include <utility>
#include <vector>

namespace cli {

struct HookRun {
    enum class Status { Succeeded, Failed, TimedOut };
    Status status = Status::Failed;
    std::string output;  // what it wrote to standard output
};

// Runs `command`; one still running after `timeoutSeconds` is ended with its whole process
// group (SIGTERM, then SIGKILL). `environment` is added to the program's own.
HookRun runHook(const std::string& command,
                const std::vector<std::pair<std::string, std::string>>& environment,
                double timeoutSeconds);

}  // namespace cli
