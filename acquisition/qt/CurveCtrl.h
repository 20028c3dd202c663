#pragma once
// The plot: a black field with a grey ten-by-ten grid, a green line through the samples and a red
// dot on each, drawn into an off-screen image that painting only copies, so nothing flickers.
// The cross-hair is drawn and removed by inverting pixels, without redrawing the curve.
//
// A full redraw costs what the pixel columns can show, not what the file holds: consecutive
// points in one column merge into one vertical stroke (exactly the strokes their segments would
// draw), and each distinct dot is stamped once.

#include <QImage>
#include <QWidget>
#include <functional>

#include "acquisition/CurveModel.h"

// The drawing itself, on any image (the page and the benchmark share it).
void clearToGrid(QImage& image);
void drawCurve(QImage& image, const CurveSeries& series, const VerticalScale& scale,
               int minutesPerDivision);
// Inverts the cross-hair lines through (x, y); a negative coordinate draws no line.
void invertCrossHair(QImage& image, int x, int y);

class CCurveCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CCurveCtrl(QWidget* parent = nullptr);

    void ClearToGrid();
    void SetData(CurveSeries series);
    // Draws onto the image without clearing it (callers clear to the grid first).
    void DrawCurve(float range, int outputIndex, int minutesPerDivision);
    // The cross-hair and readout for a mouse point; only once a file was loaded.
    void crossHairAt(int x, int y);

    void setLoaded(bool loaded) { Loaded = loaded; }
    bool loaded() const { return Loaded; }
    const CurveSeries& series() const { return Series; }
    const QImage& image() const { return image_; }
    // The plot as drawn, without the cross-hair (what is saved as a picture).
    QImage imageWithoutCrossHair() const;
    int crossY() const { return CrossY; }
    // Receives the readout text ("Y = %.3f") for the page's label.
    void setReadoutSink(std::function<void(const QString&)> sink) { sink_ = std::move(sink); }
    // Called after a resize made a new image, so the owner can draw the curve again.
    void setRedrawRequest(std::function<void()> request) { redraw_ = std::move(request); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CurveSeries Series;
    VerticalScale scale_;
    QImage image_;
    int Loaded = 0;
    int CrossX = -1;
    int CrossY = -1;
    std::function<void(const QString&)> sink_;
    std::function<void()> redraw_;
};
