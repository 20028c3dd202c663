#pragma once
// The table below the calibration grid: for each online device (one column each, as in the grid)
// the residual of its fit at every point in the measuring unit, the largest one, whether the fit
// is marked, and the error of the last verification.

#include <QTableWidget>
#include <vector>

#include "calibration/SensorCalibration.h"

class CFitQualityTable : public QTableWidget {
    Q_OBJECT
public:
    explicit CFitQualityTable(QWidget* parent = nullptr);

    // Shows the snapshot for the online addresses (ascending) and n points.
    void showSnapshot(const calib::CalibrationSnapshot& s, const std::vector<int>& online);
    // Cells as on the classic grid: row 0 holds the addresses and column 0 the captions, here
    // the headers, so they stay in view while the table scrolls.
    QString cellText(int row, int column) const;
    int shapeRows() const { return rowCount() + 1; }
    int shapeColumns() const { return columnCount() + 1; }
    // Whether the device of `column` is shown as marked.
    bool isMarked(int column) const;
    // Whether the verify error of the device of `column` is shown as beyond the limit.
    bool isVerifyMarked(int column) const;

    // Row of the largest residual, the judgement and the verify error for n points.
    static int largestRow(int n) { return n + 1; }
    static int judgementRow(int n) { return n + 2; }
    static int verifyRow(int n) { return n + 3; }

private:
    void setCell(int row, int column, const QString& text);
    QTableWidgetItem* cell(int row, int column) const;
};

// The judgement row's texts.
namespace FitQualityText {
inline constexpr const char* kWithin = QT_TRANSLATE_NOOP("CFitQualityTable", "合格");
inline constexpr const char* kMarked = QT_TRANSLATE_NOOP("CFitQualityTable", "超差");
inline constexpr const char* kMissing = QT_TRANSLATE_NOOP("CFitQualityTable", "缺采集值");
inline constexpr const char* kEqual = QT_TRANSLATE_NOOP("CFitQualityTable", "采集值相同");
inline constexpr const char* kNoAnswer = QT_TRANSLATE_NOOP("CFitQualityTable", "无应答");
}  // namespace FitQualityText
