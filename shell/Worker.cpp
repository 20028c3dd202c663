#include "shell/Worker.h"

#include <system_error>

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
