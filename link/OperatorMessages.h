#pragma once
// The one way the program speaks to the operator. Every message box of the program goes through
// here, so tests can replace it with a recorder (tests/support/RecordingMessages.h) and assert
// the exact texts.
//
// Thread contract: show() may be called from any thread. An implementation that displays the
// message blocks the caller until the operator has acknowledged it.

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

enum class MessageIcon { None, Exclamation };

class OperatorMessages {
public:
    virtual ~OperatorMessages() = default;
    // Texts are UTF-8 and shown exactly as given.
    virtual void show(std::string_view text, MessageIcon icon = MessageIcon::None) = 0;
    // The same message with a second line that explains it (for example why a port did not open).
    // The first text stays exactly what it always was; the detail is an addition.
    virtual void showWithDetail(std::string_view text, MessageIcon icon, std::string_view detail);
    // A short status line that needs no acknowledgement (the status bar in the window).
    virtual void status(std::string_view /*text*/) {}
    // A question with the answers Yes and No, No the default: true only when the operator chose
    // Yes. Never asked while the bus lock is held. Where nobody can answer, the answer is No.
    virtual bool ask(std::string_view /*text*/) { return false; }
};
