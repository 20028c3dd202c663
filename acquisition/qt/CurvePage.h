#pragma once
// "Record curve": the plot with its time labels below and value labels to the left, and the
// cross-hair readout.

#include <QWidget>
#include <array>

#include "acquisition/CurveModel.h"
#include "acquisition/qt/ColorLabel.h"
#include "acquisition/qt/CurveCtrl.h"
#include "common/AppContext.h"

class CCurvePage : public QWidget {
    Q_OBJECT
public:
    CCurvePage(AppContext& ctx, QWidget* parent = nullptr);

    // After an import: take the values, set the value labels, mark loaded, redraw.
    void loadFromImport();
    // A file that gave no points: grid only, no readout.
    void clearCurve();
    // The view's scale commands (they set the stored choice themselves).
    void applyTimeDivision();
    void applyOutputIndex();
    void setUnitText(const QString& unit);
    // Grid, then the curve with the current scale choices.
    void redraw();

    CCurveCtrl* plot() const { return plot_; }
    CColorLabel* xLabel(int k) const { return xLabels_[static_cast<std::size_t>(k - 1)]; }
    CColorLabel* timeUnitLabel() const { return timeUnit_; }
    CColorLabel* topLabel() const { return top_; }
    CColorLabel* middleLabel() const { return middle_; }
    CColorLabel* bottomLabel() const { return bottom_; }
    CColorLabel* unitLabel() const { return unit_; }
    CColorLabel* readoutLabel() const { return readout_; }

    static constexpr int kPlotLeft = 100;
    static constexpr int kPlotTop = 10;
    static constexpr int kPlotBottom = 400;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();
    void setValueLabels();
    float range() const;

    AppContext& ctx_;
    std::array<CColorLabel*, 10> xLabels_{};
    CColorLabel* timeUnit_;
    CColorLabel* top_;
    CColorLabel* middle_;
    CColorLabel* bottom_;
    CColorLabel* unit_;
    CColorLabel* readout_;
    CCurveCtrl* plot_;
};
