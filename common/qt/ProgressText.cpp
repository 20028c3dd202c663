#include "common/qt/ProgressText.h"

#include <QCoreApplication>

#include "base/Texts.h"

QString progressText(const ProgressSnapshot& snapshot) {
    QString text;
    for (const ProgressPart& p : snapshot.parts)
        text += QString::fromStdString(fillText(
            QCoreApplication::translate("Progress", p.format.c_str()).toStdString(), p.args));
    return text;
}
