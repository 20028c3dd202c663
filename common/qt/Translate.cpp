#include "common/qt/Translate.h"

#include <QCoreApplication>
#include <QTranslator>
#include <memory>
#include <vector>

namespace {

std::unique_ptr<QTranslator>& current() {
    static std::unique_ptr<QTranslator> t;
    return t;
}

std::string exactCore(std::string_view text) {
    const std::string source(text);
    return QCoreApplication::translate("Core", source.c_str()).toStdString();
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

QString trCore(const Message& message) {
    if (!Translate::active())
        return QString::fromStdString(message.text());
    return QString::fromStdString(message.translated(exactCore));
}

QString trCore(const QString& text) {
    if (!Translate::active())
        return text;
    return trCore(Message(text.toStdString()));
}

QString trCore(std::string_view utf8) {
    return trCore(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

QString withoutMnemonic(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        out += caption[i];
    }
    return out;
}
