#pragma once
// The window's language. Without a translator every text is shown exactly as written; with one
// ("en" or "zh", embedded as :/i18n/korvelantis_LANG.qm) the window's own texts come through
// tr(), and the core's texts (UTF-8, context "Core") through trCore where they reach the screen.

#include <QString>
#include <string_view>

#include "base/Message.h"

class QTranslator;

namespace Translate {

// Installs the translation of `lang` on the application; false when there is none.
// An empty `lang` installs nothing.
bool install(const QString& lang);
// Removes what install() put in place (tests switch languages).
void uninstall();
bool active();

}  // namespace Translate

// A core message as the window shows it: its templates and fixed parts translated (context
// "Core"), its verbatim parts as they are; without a language, its own text.
QString trCore(const Message& message);
// A fixed core text (a caption): the exact text's translation; else, for several lines, each
// line's; else the text unchanged.
QString trCore(const QString& text);
QString trCore(std::string_view utf8);
inline QString trCore(const char* utf8) {
    return trCore(std::string_view(utf8));
}
inline QString trCore(const std::string& utf8) {
    return trCore(std::string_view(utf8));
}

// A caption as a screen reader says it: the & of its mnemonic gone, "&&" one "&".
QString withoutMnemonic(const QString& caption);
