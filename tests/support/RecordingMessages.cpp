#include "tests/support/RecordingMessages.h"

void RecordingMessages::show(std::string_view text, MessageIcon icon) {
    std::lock_guard lock(mutex_);
    entries_.push_back({std::string(text), icon, {}});
}

void RecordingMessages::showWithDetail(std::string_view text, MessageIcon icon,
                                       std::string_view detail) {
    std::lock_guard lock(mutex_);
    entries_.push_back({std::string(text), icon, std::string(detail)});
}

void RecordingMessages::status(std::string_view text) {
    std::lock_guard lock(mutex_);
    status_ = text;
}

bool RecordingMessages::ask(std::string_view text) {
    std::lock_guard lock(mutex_);
    questions_.emplace_back(text);
    return answer_;
}

void RecordingMessages::setAnswer(bool yes) {
    std::lock_guard lock(mutex_);
    answer_ = yes;
}

std::vector<std::string> RecordingMessages::questions() const {
    std::lock_guard lock(mutex_);
    return questions_;
}

std::vector<RecordingMessages::Entry> RecordingMessages::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

std::vector<std::string> RecordingMessages::texts() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& e : entries_) out.push_back(e.text);
    return out;
}

std::string RecordingMessages::lastStatus() const {
    std::lock_guard lock(mutex_);
    return status_;
}

void RecordingMessages::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    questions_.clear();
}
