#include "calibration/qt/FitQualityTable.h"

#include <QHeaderView>

using calib::DeviceOutcome;

namespace {
const QColor kMarkedColour(255, 200, 200);
}

CFitQualityTable::CFitQualityTable(QWidget* parent) : QTableWidget(parent) {
    setObjectName("fitQualityTable");
    setTabKeyNavigation(false);  // one Tab stop; the arrows move between cells
    setAccessibleName(tr("Fit quality"));
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void CFitQualityTable::setCell(int row, int column, const QString& text) {
    if (row == 0 && column == 0)
        return;
    if (row == 0)
        setHorizontalHeaderItem(column - 1, new QTableWidgetItem(text));
    else if (column == 0)
        setVerticalHeaderItem(row - 1, new QTableWidgetItem(text));
    else
        setItem(row - 1, column - 1, new QTableWidgetItem(text));
}

QTableWidgetItem* CFitQualityTable::cell(int row, int column) const {
    if (row == 0)
        return column == 0 ? nullptr : horizontalHeaderItem(column - 1);
    return column == 0 ? verticalHeaderItem(row - 1) : item(row - 1, column - 1);
}

QString CFitQualityTable::cellText(int row, int column) const {
    const QTableWidgetItem* i = cell(row, column);
    return i ? i->text() : QString();
}

bool CFitQualityTable::isMarked(int column) const {
    const int n = shapeRows() - 4;
    return cellText(judgementRow(n), column) == tr(FitQualityText::kMarked);
}

bool CFitQualityTable::isVerifyMarked(int column) const {
    const QTableWidgetItem* i = cell(verifyRow(shapeRows() - 4), column);
    return i && i->toolTip() == tr(FitQualityText::kMarked);
}

void CFitQualityTable::showSnapshot(const calib::CalibrationSnapshot& s,
                                    const std::vector<int>& online) {
    const calib::TargetSet t = s.targets.value_or(calib::TargetSet{});
    const int n = calib::isPointCount(t.pointCount) ? t.pointCount : 0;
    const auto number = [&t](double v) {
        return QString::fromStdString(calib::formatInUnit(t, v));
    };
    clearContents();
    setRowCount(n + 3);
    setColumnCount(static_cast<int>(online.size()));
    for (int i = 1; i <= n; ++i) setCell(i, 0, tr("第%1点残差").arg(i));
    setCell(largestRow(n), 0, tr("最大残差"));
    setCell(judgementRow(n), 0, tr("判定"));
    setCell(verifyRow(n), 0,
            s.lastVerifiedPoint ? tr("第%1点校验误差").arg(s.lastVerifiedPoint) : tr("校验误差"));

    for (std::size_t j = 0; j < online.size(); ++j) {
        const int column = static_cast<int>(j) + 1;
        setCell(0, column, QString::number(online[j]));
        const calib::DeviceCalibration* d = s.device(online[j]);
        if (!d)
            continue;
        if (d->fitted) {
            for (int i = 1; i <= n; ++i) setCell(i, column, number(d->quality.residuals[i - 1]));
            setCell(largestRow(n), column, number(d->quality.largest));
            setCell(judgementRow(n), column,
                    tr(d->quality.marked ? FitQualityText::kMarked : FitQualityText::kWithin));
            if (d->quality.marked)
                for (int row : {largestRow(n), judgementRow(n)})
                    cell(row, column)->setBackground(kMarkedColour);
        } else if (d->outcome == DeviceOutcome::MissingReading) {
            setCell(judgementRow(n), column, tr(FitQualityText::kMissing));
        } else if (d->outcome == DeviceOutcome::EqualReadings) {
            setCell(judgementRow(n), column, tr(FitQualityText::kEqual));
        }
        if (s.lastVerifiedPoint) {
            if (const auto& v = d->verified[s.lastVerifiedPoint - 1]) {
                setCell(verifyRow(n), column,
                        v->answered ? number(v->error) : tr(FitQualityText::kNoAnswer));
                // Judged as a fit is: an error beyond the limit is a device to look at.
                if (v->answered && calib::beyondResidualLimit(t, v->error)) {
                    cell(verifyRow(n), column)->setBackground(kMarkedColour);
                    cell(verifyRow(n), column)->setToolTip(tr(FitQualityText::kMarked));
                }
            }
        }
    }
}
