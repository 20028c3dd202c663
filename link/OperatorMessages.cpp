#include "link/OperatorMessages.h"


void OperatorMessages::showWithDetail(std::string_view text, MessageIcon icon,
                                      std::string_view /*detail*/) {
    show(text, icon);
}

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

void HeldMessages::show(std::string_view text, MessageIcon icon) {
    held_.push_back({false, std::string(text), icon, {}});
}

void HeldMessages::showWithDetail(std::string_view text, MessageIcon icon,
                                  std::string_view detail) {
    held_.push_back({false, std::string(text), icon, std::string(detail)});
}

void HeldMessages::status(std::string_view text) {
    held_.push_back({true, std::string(text), MessageIcon::None, {}});
}

HeldMessages HeldMessages::take() {
    HeldMessages out;
    out.held_.swap(held_);
    return out;
}

void HeldMessages::deliverTo(OperatorMessages& target) const {
    for (const Held& h : held_) {
        if (h.isStatus)
            target.status(h.text);
        else if (h.detail.empty())
            target.show(h.text, h.icon);
        else
            target.showWithDetail(h.text, h.icon, h.detail);
    }
}
