#include "common/qt/Translate.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTranslator>
#include <memory>
#include <vector>

#include "common/Texts.h"

namespace {

std::unique_ptr<QTranslator>& current() {
    static std::unique_ptr<QTranslator> t;
    return t;
}

struct Template {
    QString source;
    QRegularExpression pattern;
    int arguments = 0;
};

// Each template as an anchored pattern: its text exact, each %N any non-empty text.
const std::vector<Template>& templates() {
    static const std::vector<Template> all = [] {
        std::vector<Template> out;
        static const QRegularExpression placeholder(QStringLiteral("%([1-9])"));
        for (const char* t : texts::composedTexts()) {
            Template tp;
            tp.source = QString::fromUtf8(t);
            QString re = QStringLiteral("^");
            qsizetype at = 0;
            auto it = placeholder.globalMatch(tp.source);
            while (it.hasNext()) {
                const auto m = it.next();
                re += QRegularExpression::escape(tp.source.mid(at, m.capturedStart() - at));
                re += QStringLiteral("(.+?)");
                tp.arguments = std::max(tp.arguments, m.captured(1).toInt());
                at = m.capturedEnd();
            }
            re += QRegularExpression::escape(tp.source.mid(at)) + QStringLiteral("$");
            tp.pattern = QRegularExpression(re, QRegularExpression::DotMatchesEverythingOption);
            out.push_back(std::move(tp));
        }
        return out;
    }();
    return all;
}

QString exact(const QString& text) {
    return QCoreApplication::translate("Core", text.toUtf8().constData());
}

QString translated(const QString& text, int depth);

// An argument of a template may itself be a text of the core, or a list of them ("; ").
QString argument(const QString& text, int depth) {
    if (text.contains(QStringLiteral("; "))) {
        QStringList parts = text.split(QStringLiteral("; "));
        for (QString& p : parts) p = translated(p, depth + 1);
        return parts.join(QStringLiteral("; "));
    }
    return translated(text, depth + 1);
}

QString translated(const QString& text, int depth) {
    if (text.isEmpty())
        return text;
    const QString direct = exact(text);
    if (direct != text || depth > 3)
        return direct;
    for (const Template& t : templates()) {
        const auto m = t.pattern.match(text);
        if (!m.hasMatch())
            continue;
        QString out = exact(t.source);
        if (out == t.source && depth == 0 && t.arguments == 0)
            return text;
        // Filled by hand: an argument's own "%1" must not be taken for a placeholder.
        for (int n = t.arguments; n >= 1; --n)
            out.replace(QStringLiteral("%") + QString::number(n), argument(m.captured(n), depth));
        return out;
    }
    return text;
}

}  // namespace

namespace Translate {

bool install(const QString& lang) {
    uninstall();
    if (lang.isEmpty())
        return false;
    auto t = std::make_unique<QTranslator>();
    if (!t->load(QStringLiteral(":/i18n/korvelantis_%1.qm").arg(lang)))
        return false;
    QCoreApplication::installTranslator(t.get());
    current() = std::move(t);
    return true;
}

void uninstall() {
    if (current()) {
        QCoreApplication::removeTranslator(current().get());
        current().reset();
    }
}

bool active() {
    return current() != nullptr;
}

}  // namespace Translate

QString trCore(const QString& text) {
    if (!Translate::active())
        return text;
    return translated(text, 0);
}

QString trCore(std::string_view utf8) {
    return trCore(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}
