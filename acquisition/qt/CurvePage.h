#pragma once
// "Record curve": the plot with its time labels below and value labels to the left, the
// cross-hair readout, and saving the picture.

#include <QImage>
#include <QWidget>
#include <array>

#include "acquisition/CurveModel.h"
#include "acquisition/qt/ColorLabel.h"
#include "acquisition/qt/CurveCtrl.h"
#include "state/AppContext.h"

class QPushButton;

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
    // Grid, then the curve and its value labels with the scale choices and the range as they
    // stand now (nothing before a file was loaded).
    void redraw();
    // The plot with its labels, as the page shows them, without the cross-hair.
    QImage picture() const;
    // "Save curve image...": asks for a file and writes picture() as PNG.
    void savePicture();

    CCurveCtrl* plot() const { return plot_; }
    CColorLabel* xLabel(int k) const { return xLabels_[static_cast<std::size_t>(k - 1)]; }
    CColorLabel* timeUnitLabel() const { return timeUnit_; }
    CColorLabel* topLabel() const { return top_; }
    CColorLabel* middleLabel() const { return middle_; }
    CColorLabel* bottomLabel() const { return bottom_; }
    CColorLabel* unitLabel() const { return unit_; }
    CColorLabel* readoutLabel() const { return readout_; }
    QPushButton* saveButton() const { return save_; }

    static constexpr int kPlotLeft = 100;
    static constexpr int kPlotTop = 10;
    // The plot ends this far above the page's bottom (the time labels, the readout, the button),
    // and is never less tall than kMinPlotHeight; at the classic page height it ends at 400.
    static constexpr int kBelowPlot = 55;
    static constexpr int kMinPlotHeight = 240;
    static constexpr int kLabelPixels = 20;
    static constexpr int kReadoutPixels = 15;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();
    // The curve on the plot as it is, and the value labels for the same span.
    void drawCurve();
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
    QPushButton* save_;
    int plotBottom_ = 400;
};
