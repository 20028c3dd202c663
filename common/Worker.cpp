#include "common/Worker.h"

#include <system_error>

#include "common/Texts.h"
#include "link/OperatorMessages.h"

bool Worker::start(std::function<void()> work) {
    join();
    if (failNextStart_.exchange(false))
        return false;
    running_ = true;
    try {
        thread_ = std::thread([this, work = std::move(work)] {
            work();
            running_ = false;
        });
    } catch (const std::system_error&) {
        running_ = false;
        return false;
    }
    return true;
}

void Worker::join() {
    if (thread_.joinable())
        thread_.join();
}

bool StartWorkerOrReport(Worker& worker, std::function<void()> work, OperatorMessages& messages,
                         std::string_view startFailure) {
    if (worker.start(std::move(work)))
        return true;
    messages.show(startFailure);
    return false;
}

std::string WorkerStartFailure::acquisition(int point) {
    return fillText(texts::kThreadStartFailed, {std::to_string(point)});
}
