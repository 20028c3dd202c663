#include "common/qt/FileDialogs.h"

#include <QFileDialog>

namespace FileDialogs {

namespace {
std::function<QString(const Request&)>& testAnswer() {
    static std::function<QString(const Request&)> answer;
    return answer;
}
}  // namespace

void setTestAnswer(std::function<QString(const Request&)> answer) {
    testAnswer() = std::move(answer);
}

QString dialogFilter(const QString& filter) {
    return QString(filter).replace(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
}

QString ask(QWidget* parent, const Request& r) {
    if (testAnswer())
        return testAnswer()(r);
    QFileDialog dialog(parent, r.title, r.directory, dialogFilter(r.filter));
    dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!r.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(r.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

}  // namespace FileDialogs
