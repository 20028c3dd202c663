#include "tests/support/RecordingMessages.h"

void RecordingMessages::show(const Message& text, MessageIcon icon) {
    std::lock_guard lock(mutex_);
    entries_.push_back({text.text(), icon, {}});
}

void RecordingMessages::showWithDetail(const Message& text, MessageIcon icon,
                                       const Message& detail) {
    std::lock_guard lock(mutex_);
    entries_.push_back({text.text(), icon, detail.text()});
}

void RecordingMessages::status(const Message& text) {
    std::lock_guard lock(mutex_);
    status_ = text.text();
}

bool RecordingMessages::ask(const Message& text) {
    std::lock_guard lock(mutex_);
    questions_.push_back(text.text());
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
