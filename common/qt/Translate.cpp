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
    std::vector<int> order;  // the placeholder number of each captured group
    int arguments = 0;
    qsizetype fixed = 0;  // characters besides the placeholders
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
                tp.order.push_back(m.captured(1).toInt());
                tp.arguments = std::max(tp.arguments, tp.order.back());
                at = m.capturedEnd();
            }
            re += QRegularExpression::escape(tp.source.mid(at)) + QStringLiteral("$");
            tp.fixed = tp.source.size() - 2 * static_cast<qsizetype>(tp.order.size());
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
    if (direct != text || depth > 4)
        return direct;
    // Lines of their own (the acquisition's progress) are messages of their own.
    if (text.contains('\n')) {
        QStringList lines = text.split('\n');
        for (QString& l : lines) l = translated(l, depth + 1);
        return lines.join('\n');
    }
    // Of the templates that fit, the one with the most fixed text: "%1: %2" fits
    // "Reading the records: 1.0 of 2.0 MB" too, but "%1: %2 of %3 MB" says more.
    const Template* best = nullptr;
    QRegularExpressionMatch bestMatch;
    for (const Template& t : templates()) {
        if (best && t.fixed <= best->fixed)
            continue;
        auto m = t.pattern.match(text);
        if (m.hasMatch()) {
            best = &t;
            bestMatch = std::move(m);
        }
    }
    if (!best)
        return text;
    QStringList args(best->arguments);
    for (std::size_t g = 0; g < best->order.size(); ++g)
        args[best->order[g] - 1] = argument(bestMatch.captured(static_cast<int>(g) + 1), depth);
    std::vector<std::string> utf8;
    for (const QString& a : args) utf8.push_back(a.toStdString());
    return QString::fromStdString(fillText(exact(best->source).toStdString(), utf8));
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
