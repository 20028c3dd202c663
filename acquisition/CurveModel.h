#pragma once
// The curve's mapping from samples to plot pixels, without any drawing.
//
// Horizontal: the time axis starts at the first sample; a point lies at
//   x = minutes since the first sample x W / (10 x minutes per division)      (integer, truncated)
// Time texts are "MM-DD hh:mm" of the year 2013 (the files carry no year), read as calendar
// minutes. A text that is no such time places no point.
// Vertical: centred on the first sample F with the span S of the output index:
//   b = F - S/2, Scale = H / S, c = trunc((F - b) x Scale), y = 2c - trunc((v - b) x Scale)
// in single precision. A span of 0 (range start equal to range end) gives a flat scale: the first
// value sits half-way up and any other value at the edge it lies towards. A negative span (range
// start above range end) turns the axis over, as the value labels F + h .. F - h then do.

#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "state/AppContext.h"

inline constexpr int kTimeDivisions[] = {5, 10, 30, 60, 120, 300, 600, 1200};
inline constexpr int kNoPoint = std::numeric_limits<std::int32_t>::min();

bool isTimeDivision(int minutesPerDivision);
// Span S and half span of an output index (0..4) for the range R = RangeEnd - RangeStart; an
// index outside 0..4 counts as 1 ("Full scale").
float outputSpan(float range, int outputIndex);
float outputHalfSpan(float range, int outputIndex);

// Calendar minutes of a time text, or kNoPoint.
std::int32_t timeTextMinutes(std::string_view text);

struct VerticalScale {
    float span = 0;    // S
    float bottom = 0;  // b
    float scale = 1;   // pixels per value unit
    int centre = 0;    // c
    int height = 0;    // H
    bool flat = false;

    static VerticalScale make(float first, float range, int outputIndex, int height);
    int y(float value) const;
    // The value under pixel row y (the cross-hair readout).
    float valueAt(int y) const;
};

// x of a point from its minutes since the first point, plus `withinMinute` (0 <= f < 1) of the
// next minute; `previousX` when the division is not one of the eight (the point then stays where
// the last one was).
int curveX(std::int64_t minutes, int width, int minutesPerDivision, int previousX,
           double withinMinute = 0);

// The series the curve draws: column "1" of the imported samples and the minutes of each point
// since the first point (kNoPoint: a point without a valid time, which is skipped).
struct CurveSeries {
    std::vector<float> values;
    std::vector<std::int32_t> minutes;
    float first = 0;  // F: column "1" of the first data row

    std::size_t size() const { return values.size(); }
    bool empty() const { return values.empty(); }
    static CurveSeries fromImport(const ImportState& state);
};

// Pixel positions of every point for a plot W x H; what the drawing and the tests share.
struct CurvePoint {
    int x;
    int y;
};
// x of every point of `series` (kNoPoint for a point without a time). Samples that share one
// minute of the file are spread over that minute in their order (the k-th of n at k/n of it),
// so they do not stack at one x.
std::vector<int> curveXs(const CurveSeries& series, int width, int minutesPerDivision);
std::vector<CurvePoint> mapCurve(const CurveSeries& series, const VerticalScale& vs, int width,
                                 int minutesPerDivision);
