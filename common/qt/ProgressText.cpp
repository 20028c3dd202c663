#include "common/qt/ProgressText.h"

#include <QCoreApplication>

namespace {

// QString::arg would also replace markers that come with an argument (a unit text "%").
QString filledIn(const QString& format, const std::vector<std::string>& args) {
    QString out;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == '%' && i + 1 < format.size() && format[i + 1] >= '1' && format[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(format[i + 1].unicode() - '1');
            if (n < args.size()) {
                out += QString::fromStdString(args[n]);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

}  // namespace

QString progressText(const ProgressSnapshot& snapshot) {
    QString text;
    for (const ProgressPart& p : snapshot.parts)
        text += filledIn(QCoreApplication::translate("Progress", p.format.c_str()), p.args);
    return text;
}
