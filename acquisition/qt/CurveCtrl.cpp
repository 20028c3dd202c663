#include "acquisition/qt/CurveCtrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <vector>

#include "base/NumberText.h"

namespace {

const QColor kGrey(128, 128, 128);
const QRgb kRed = qRgb(255, 0, 0);

// The red dot: the ellipse in (x - 1, y - 1) .. (x + 3, y + 3), a 4 x 4 disc.
void stampDot(QImage& img, int x, int y) {
    static constexpr int kRows[4][2] = {{0, 1}, {-1, 2}, {-1, 2}, {0, 1}};
    const int w = img.width(), h = img.height();
    for (int r = 0; r < 4; ++r) {
        const int py = y - 1 + r;
        if (py < 0 || py >= h)
            continue;
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(py));
        for (int px = x + kRows[r][0]; px <= x + kRows[r][1]; ++px)
            if (px >= 0 && px < w)
                line[px] = kRed;
    }
}

bool segmentOutside(int x0, int y0, int x1, int y1, int w, int h) {
    return (x0 < -1 && x1 < -1) || (x0 > w && x1 > w) || (y0 < -1 && y1 < -1) || (y0 > h && y1 > h);
}

}  // namespace

void clearToGrid(QImage& img) {
    img.fill(qRgb(0, 0, 0));
    const int w = img.width(), h = img.height();
    QPainter p(&img);
    QPen dotted(kGrey, 1, Qt::DotLine);
    dotted.setCosmetic(true);
    QPen solid(kGrey, 1, Qt::SolidLine);
    solid.setCosmetic(true);
    const int sy = h / 10;
    for (int k = 1; k <= 9; ++k) {
        p.setPen(k == 5 ? solid : dotted);
        p.drawLine(0, k * sy, w, k * sy);
    }
    const int sx = w / 10;
    p.setPen(dotted);
    for (int k = 1; k <= 9; ++k) p.drawLine(k * sx, 0, k * sx, h);
}

void drawCurve(QImage& img, const CurveSeries& s, const VerticalScale& vs, int mpd) {
    const int w = img.width(), h = img.height();
    if (s.empty() || w <= 0 || h <= 0)
        return;
    std::vector<int> dotMark(static_cast<std::size_t>(h) + 8, -1);
    std::vector<QPoint> dots;
    {
        QPainter p(&img);
        QPen green(QColor(0, 255, 0), 1);
        green.setCosmetic(true);
        p.setPen(green);
        int cx = 0, cy = vs.centre;  // the pen starts at (0, c)
        int runMin = cy, runMax = cy, run = 0;
        const std::vector<int> xs = curveXs(s, w, mpd);
        auto flushRun = [&] {
            if (runMax > runMin && !segmentOutside(cx, runMin, cx, runMax, w, h))
                p.drawLine(cx, runMin, cx, runMax);
        };
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (xs[i] == kNoPoint)
                continue;
            const int x = xs[i];
            const int y = vs.y(s.values[i]);
            if (x == cx) {
                runMin = std::min(runMin, y);
                runMax = std::max(runMax, y);
            } else {
                flushRun();
                if (!segmentOutside(cx, cy, x, y, w, h))
                    p.drawLine(cx, cy, x, y);
                runMin = runMax = y;
                ++run;
            }
            cx = x;
            cy = y;
            // One stamp per distinct dot of the column.
            if (x >= -3 && x <= w + 1 && y >= -3 && y <= h + 1) {
                int& m = dotMark[static_cast<std::size_t>(y + 4)];
                if (m != run) {
                    m = run;
                    dots.emplace_back(x, y);
                }
            }
        }
        flushRun();
    }
    for (const QPoint& d : dots) stampDot(img, d.x(), d.y());
}

void invertCrossHair(QImage& img, int x, int y) {
    QPainter p(&img);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen white(Qt::white, 1);
    white.setCosmetic(true);
    p.setPen(white);
    if (y >= 0)
        p.drawLine(0, y, img.width() - 1, y);
    if (x >= 0)
        p.drawLine(x, 0, x, img.height() - 1);
}

CCurveCtrl::CCurveCtrl(QWidget* parent) : QWidget(parent) {
    setObjectName("curvePlot");
    setAccessibleName(tr("Record curve"));
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    image_ = QImage(1, 1, QImage::Format_RGB32);
    ClearToGrid();
}

void CCurveCtrl::ClearToGrid() {
    // A hidden control gets its resize event only when shown; its size is already valid.
    if (width() > 0 && height() > 0 && image_.size() != size())
        image_ = QImage(size(), QImage::Format_RGB32);
    clearToGrid(image_);
    CrossX = CrossY = -1;
    update();
}

void CCurveCtrl::SetData(CurveSeries series) {
    Series = std::move(series);
}

void CCurveCtrl::DrawCurve(float range, int outputIndex, int mpd) {
    scale_ = VerticalScale::make(Series.first, range, outputIndex, image_.height());
    drawCurve(image_, Series, scale_, mpd);
    update();
}

void CCurveCtrl::crossHairAt(int x, int y) {
    if (!Loaded)
        return;
    // Inverting the same lines again restores the pixels beneath them.
    invertCrossHair(image_, CrossX, CrossY);
    const float v = scale_.valueAt(y);
    if (sink_)
        sink_(QString::fromStdString("Y = " + num::formatFixed(v, 3)));
    invertCrossHair(image_, x, y);
    CrossX = x;
    CrossY = y;
    update();
}

QImage CCurveCtrl::imageWithoutCrossHair() const {
    QImage copy = image_;
    invertCrossHair(copy, CrossX, CrossY);
    return copy;
}

void CCurveCtrl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

void CCurveCtrl::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    crossHairAt(pt.x(), pt.y());
}

void CCurveCtrl::resizeEvent(QResizeEvent*) {
    if (width() <= 0 || height() <= 0 || image_.size() == size())
        return;
    ClearToGrid();
    if (redraw_)
        redraw_();
}
