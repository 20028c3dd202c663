#include "base/Message.h"

#include "base/Texts.h"

namespace {

std::string lineByLine(std::string_view text, const Message::Translator& translate) {
    std::string whole = translate(text);
    if (whole != text || text.find('\n') == std::string_view::npos)
        return whole;
    std::string out;
    for (std::size_t at = 0;;) {
        const auto next = text.find('\n', at);
        out += translate(text.substr(at, next - at));
        if (next == std::string_view::npos)
            return out;
        out += '\n';
        at = next + 1;
    }
}

}  // namespace

Message Message::composed(std::string_view tmpl, std::vector<Message> args) {
    return Message(Kind::Composed, std::string(tmpl), std::move(args));
}

Message Message::verbatim(std::string text) {
    return Message(Kind::Verbatim, std::move(text), {});
}

Message Message::joined(std::vector<Message> parts, std::string_view separator) {
    return Message(Kind::Joined, std::string(separator), std::move(parts));
}

std::string Message::text() const {
    return render(nullptr);
}

std::string Message::translated(const Translator& translate) const {
    return render(&translate);
}

std::string Message::render(const Translator* translate) const {
    switch (kind_) {
        case Kind::Fixed:
            return translate ? lineByLine(text_, *translate) : text_;
        case Kind::Verbatim:
            return text_;
        case Kind::Joined: {
            std::string out;
            for (std::size_t i = 0; i < parts_.size(); ++i) {
                if (i)
                    out += text_;
                out += parts_[i].render(translate);
            }
            return out;
        }
        case Kind::Composed: {
            std::vector<std::string> args;
            args.reserve(parts_.size());
            for (const Message& m : parts_) args.push_back(m.render(translate));
            return fillText(translate ? (*translate)(text_) : text_, args);
        }
    }
    return text_;
}
