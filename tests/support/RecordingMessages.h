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
    void show(std::string_view text, MessageIcon icon = MessageIcon::None) override;
    void showWithDetail(std::string_view text, MessageIcon icon, std::string_view detail) override;
    void status(std::string_view text) override;
    // Kept apart from the messages; answered with setAnswer's choice (No until then).
    bool ask(std::string_view text) override;
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
