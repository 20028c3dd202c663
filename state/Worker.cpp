#include "state/Worker.h"

#include <system_error>

#include "base/Texts.h"
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

KeptFlags::KeptFlags(std::initializer_list<std::atomic<int>*> flags) {
    for (std::atomic<int>* f : flags) kept_.emplace_back(f, f->load());
}

void KeptFlags::restore() const {
    for (const auto& [flag, value] : kept_) flag->store(value);
}

bool startWorkerOrReport(Worker& worker, std::function<void()> work, OperatorMessages& messages,
                         const std::optional<Message>& startFailure, const KeptFlags* kept) {
    if (worker.start(std::move(work)))
        return true;
    if (kept)
        kept->restore();
    if (startFailure)
        messages.show(*startFailure);
    return false;
}

Message WorkerStartFailure::acquisition(int point) {
    return compose(texts::kThreadStartFailed, {Message::verbatim(std::to_string(point))});
}
