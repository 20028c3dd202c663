#pragma once
// A text for the operator as it was composed, so that whoever shows it can translate it piece by
// piece instead of recognising a finished string:
// - a fixed text (a caption, a whole message), translated as a whole where it has a translation,
//   else line by line;
// - a template from base/Texts.h with its arguments (%1..%9), each a Message of its own: the
//   template is translated, then filled in with the translated arguments;
// - a verbatim piece (a number, an address list, a path, the system's reason), never translated;
// - parts joined by a separator ("; " lists, lines), each translated on its own.
// text() is the message as written (UTF-8), for the command line in its own language, the logs
// and the tests. No Qt here.

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class Message {
public:
    Message() = default;
    // A fixed text; implicit, so every place that says a plain text keeps saying it.
    Message(const char* text) : text_(text ? text : "") {}
    Message(std::string_view text) : text_(text) {}
    Message(const std::string& text) : text_(text) {}
    Message(std::string&& text) : text_(std::move(text)) {}

    // `tmpl`'s %1..%9 filled with `args` (a % not followed by a used digit stays).
    static Message composed(std::string_view tmpl, std::vector<Message> args);
    static Message verbatim(std::string text);
    static Message joined(std::vector<Message> parts, std::string_view separator);

    // As written, filled in.
    std::string text() const;
    // `translate` returns the translation of a fixed text or template, or the text itself.
    using Translator = std::function<std::string(std::string_view)>;
    std::string translated(const Translator& translate) const;

    bool empty() const { return text().empty(); }
    bool operator==(const Message& other) const = default;

private:
    enum class Kind { Fixed, Verbatim, Composed, Joined };
    Message(Kind kind, std::string text, std::vector<Message> parts)
        : kind_(kind), text_(std::move(text)), parts_(std::move(parts)) {}
    std::string render(const Translator* translate) const;

    Kind kind_ = Kind::Fixed;
    std::string text_;  // the fixed text, the verbatim text, the template, or the separator
    std::vector<Message> parts_;
};

// Shorthand: compose(texts::kPortBusy, {path}).
inline Message compose(std::string_view tmpl, std::initializer_list<Message> args) {
    return Message::composed(tmpl, std::vector<Message>(args));
}
