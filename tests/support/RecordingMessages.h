#pragma once
// A recorder of operator messages for tests and benchmarks; the product has none of it.

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "link/OperatorMessages.h"

// Keeps every message, so a test can assert the exact texts.
class RecordingMessages : public OperatorMessages {
public:
    struct Entry {
        std::string text;
        MessageIcon icon;
        std::string detail;
    };
    void show(const Message& text, MessageIcon icon = MessageIcon::None) override;
    void showWithDetail(const Message& text, MessageIcon icon, const Message& detail) override;
    void status(const Message& text) override;
    // Kept apart from the messages; answered with setAnswer's choice (No until then).
    bool ask(const Message& text) override;
    void setAnswer(bool yes);
    std::vector<std::string> questions() const;
    std::vector<Entry> entries() const;
    std::vector<std::string> texts() const;
    std::string lastStatus() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    std::vector<std::string> questions_;
    std::string status_;
    bool answer_ = false;
};
