#pragma once
// The one way the program speaks to the operator. Every message box of the program goes through
// here, so tests can replace it with a recorder (tests/support/RecordingMessages.h) and assert
// the exact texts.
//
// Thread contract: show() may be called from any thread. An implementation that displays the
// message blocks the caller until the operator has acknowledged it.

#include "base/Message.h"

enum class MessageIcon { None, Exclamation };

class OperatorMessages {
public:
    virtual ~OperatorMessages() = default;
    // Texts are UTF-8. A message arrives as it was composed (a plain text converts), so whoever
    // shows it translates its templates and fixed parts and leaves its verbatim parts alone.
    virtual void show(const Message& text, MessageIcon icon = MessageIcon::None) = 0;
    // The same message with a second line that explains it (for example why a port did not open).
    // The first text stays exactly what it always was; the detail is an addition.
    virtual void showWithDetail(const Message& text, MessageIcon icon, const Message& detail);
    // A short status line that needs no acknowledgement (the status bar in the window).
    virtual void status(const Message& /*text*/) {}
    // A question with the answers Yes and No, No the default: true only when the operator chose
    // Yes. Never asked while the bus lock is held. Where nobody can answer, the answer is No.
    virtual bool ask(const Message& /*text*/) { return false; }
};
