#include <string>
#include <unordered_map>

#include "cli/CliTexts.h"
#include "cli/CoreTextTable.h"
#include "cli/Run.h"

namespace cli {

namespace {

const std::unordered_map<std::string_view, const CoreText*>& table() {
    static const auto t = [] {
        std::unordered_map<std::string_view, const CoreText*> m;
        for (const CoreText* e = kCoreTexts; e->source; ++e) m.emplace(e->source, e);
        return m;
    }();
    return t;
}

}  // namespace

std::string spoken(const Message& text, Language language) {
    const auto exact = [language](std::string_view t) {
        const auto it = table().find(t);
        if (it == table().end())
            return std::string(t);
        const char* s = language == Language::Chinese ? it->second->chinese : it->second->english;
        return std::string(s ? s : it->second->source);
    };
    return text.translated(exact);
}

}  // namespace cli

namespace cli {

std::string spokenText(std::string_view tmpl, std::initializer_list<std::string_view> args) {
    return fillText(spoken(tmpl, run().language), args);
}

void say(std::string_view tmpl, std::initializer_list<std::string_view> args) {
    tell(spokenText(tmpl, args));
}

}  // namespace cli
