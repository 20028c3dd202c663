// Drawing the curve: grid, reduced redraw equal to the plain drawing, dots where the values are,
// cross-hair by inversion.
#include <gtest/gtest.h>

#include <QPainter>
#include <random>

#include "acquisition/qt/CurveCtrl.h"

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);

CurveSeries seriesOf(const std::vector<std::pair<int, float>>& pts) {
    CurveSeries s;
    for (auto [m, v] : pts) {
        s.minutes.push_back(m);
        s.values.push_back(v);
    }
    s.first = s.values.empty() ? 0 : s.values[0];
    return s;
}

// Every segment and every dot one by one, as the plain algorithm draws them.
void drawPlain(QImage& img, const CurveSeries& s, const VerticalScale& vs, int mpd) {
    const auto pts = mapCurve(s, vs, img.width(), mpd);
    {
        QPainter p(&img);
        QPen green(QColor(0, 255, 0), 1);
        green.setCosmetic(true);
        p.setPen(green);
        QPoint cur(0, vs.centre);
        for (const auto& pt : pts) {
            if (cur != QPoint(pt.x, pt.y))
                p.drawLine(cur, QPoint(pt.x, pt.y));
            cur = QPoint(pt.x, pt.y);
        }
    }
    for (const auto& pt : pts)
        for (int dy = -1; dy <= 2; ++dy)
            for (int dx = -1; dx <= 2; ++dx) {
                const bool corner = (dy == -1 || dy == 2) && (dx == -1 || dx == 2);
                const int x = pt.x + dx, y = pt.y + dy;
                if (!corner && x >= 0 && y >= 0 && x < img.width() && y < img.height())
                    img.setPixel(x, y, kRed);
            }
}

}  // namespace

TEST(CurveGrid, BlackFieldWithSolidMiddleLine) {
    QImage img(200, 100, QImage::Format_RGB32);
    clearToGrid(img);
    EXPECT_EQ(img.pixel(3, 3), qRgb(0, 0, 0));
    // The middle horizontal line is solid grey across.
    for (int x = 0; x < 200; x += 7) EXPECT_EQ(img.pixel(x, 50), qRgb(128, 128, 128)) << x;
    // Dotted lines leave gaps.
    int grey = 0;
    for (int x = 0; x < 200; ++x) grey += img.pixel(x, 10) == qRgb(128, 128, 128);
    EXPECT_GT(grey, 20);
    EXPECT_LT(grey, 200);
}

TEST(CurveDrawing, DotAboveThePlotIsNotDrawnAtItsMirroredHeight) {
    QImage img(1000, 400, QImage::Format_RGB32);
    clearToGrid(img);
    // F = 20, full scale of 40: value 50 lies 100 px above the top, value 30 at y = 100.
    const auto s = seriesOf({{0, 20}, {60, 50}, {120, 30}});
    const auto vs = VerticalScale::make(20, 40, 1, 400);
    drawCurve(img, s, vs, 60);
    EXPECT_EQ(img.pixel(100, 100), qRgb(0, 0, 0));  // no mirrored dot at |y| = 100
    EXPECT_EQ(img.pixel(200, 100), kRed);           // the real dot of value 30
    EXPECT_EQ(img.pixel(0, 200), kRed);             // the first one, half-way up
}

TEST(CurveDrawing, ReducedRedrawEqualsThePlainDrawing) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> noise(-30, 30);
    std::vector<std::pair<int, float>> pts;
    for (int i = 0; i < 20000; ++i) pts.push_back({i / 3, 20 + noise(rng)});
    pts.push_back({200, 1e30f});  // far off, clipped
    const auto s = seriesOf(pts);
    const auto vs = VerticalScale::make(s.first, 40, 1, 390);
    QImage reduced(640, 390, QImage::Format_RGB32), plain(640, 390, QImage::Format_RGB32);
    clearToGrid(reduced);
    clearToGrid(plain);
    drawCurve(reduced, s, vs, 120);
    drawPlain(plain, s, vs, 120);
    int differing = 0;
    for (int y = 0; y < 390; ++y)
        for (int x = 0; x < 640; ++x) differing += reduced.pixel(x, y) != plain.pixel(x, y);
    EXPECT_EQ(differing, 0);
    int green = 0;
    for (int y = 0; y < 390; ++y)
        for (int x = 0; x < 640; ++x) green += reduced.pixel(x, y) == kGreen;
    EXPECT_GT(green, 0);
}

TEST(CurveDrawing, ZeroSpanDrawsAFlatLineWithoutFailing) {
    QImage img(300, 100, QImage::Format_RGB32);
    clearToGrid(img);
    const auto s = seriesOf({{0, 5}, {60, 5}, {120, 6}});
    drawCurve(img, s, VerticalScale::make(5, 0, 1, 100), 60);
    EXPECT_EQ(img.pixel(30, 50), kRed);
    EXPECT_EQ(img.pixel(15, 50), kGreen);
}

TEST(CurveCrossHair, ReadoutAndInversionThatRestoresThePixels) {
    CCurveCtrl ctrl;
    ctrl.resize(400, 400);
    ctrl.ClearToGrid();
    ctrl.SetData(seriesOf({{0, 20}, {60, 25}}));
    ctrl.DrawCurve(40, 1, 60);
    const QImage before = ctrl.image();
    QString readout;
    ctrl.setReadoutSink([&](const QString& t) { readout = t; });
    ctrl.crossHairAt(100, 50);
    EXPECT_TRUE(readout.isEmpty());  // nothing before a file is loaded
    ctrl.setLoaded(true);
    ctrl.crossHairAt(100, 0);
    EXPECT_EQ(readout, "Y = 40.000");
    EXPECT_EQ(ctrl.image().pixel(250, 0), qRgb(255, 255, 255));  // black inverted
    ctrl.crossHairAt(100, 300);
    EXPECT_EQ(readout, "Y = 10.000");
    EXPECT_EQ(ctrl.crossY(), 300);
    ctrl.crossHairAt(-1, -1);  // lines off the image: everything as before
    EXPECT_EQ(ctrl.image(), before);
}
