#pragma once
// What a call of the port or the bus came to: a code for the caller to judge and, where the
// operator is to hear of it, the words for it. Neither the port nor the bus shows anything; the
// caller hands a status to the operator (state/ReportStatus.h), or the bus hands a failed
// exchange's status to its listener once the bus lock is released.
//
// The words are the port's own: a message with its icon, a detail line below it (why a port did
// not open), and a status-bar line, where the port has one: an empty line clears the status bar.

#include <optional>
#include <utility>

#include "base/Message.h"
#include "link/OperatorMessages.h"

class Status {
public:
    enum class Code {
        Ok,       // done; an Open or a Close still says so
        NotOpen,  // not open, and worth a word: a port never opened, a bus in either state
        // The port is closed, or the call was cut short by a Close or refused by the bus: silent,
        // but for a Close of a port closed already, which still says "closed".
        Closed,
        OpenFailed,  // the port did not open (and is closed)
        LineFailed,  // a read or write failed; the port has been closed
    };

    // Ok, with nothing to say.
    Status() = default;
    Status(Code code, Message message, MessageIcon icon = MessageIcon::None)
        : code_(code), message_(std::move(message)), icon_(icon) {}
    // Shorthand for the silent statuses.
    static Status closed() { return Status(Code::Closed, {}); }

    Status& withDetail(Message detail) {
        detail_ = std::move(detail);
        return *this;
    }
    Status& withStatusLine(Message line) {
        statusLine_ = std::move(line);
        return *this;
    }

    bool ok() const { return code_ == Code::Ok; }
    Code code() const { return code_; }
    const Message& message() const { return message_; }
    MessageIcon icon() const { return icon_; }
    const Message& detail() const { return detail_; }
    const std::optional<Message>& statusLine() const { return statusLine_; }
    // Nothing for the operator: no message and no status line.
    bool silent() const { return message_.empty() && !statusLine_; }

    bool operator==(const Status& other) const = default;

private:
    Code code_ = Code::Ok;
    Message message_;
    MessageIcon icon_ = MessageIcon::None;
    Message detail_;
    std::optional<Message> statusLine_;
};
