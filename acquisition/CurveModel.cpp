#include "acquisition/CurveModel.h"

#include <algorithm>
#include <cmath>

#include "acquisition/RecordFile.h"

bool isTimeDivision(int m) {
    return std::find(std::begin(kTimeDivisions), std::end(kTimeDivisions), m) !=
           std::end(kTimeDivisions);
}

float outputSpan(float r, int index) {
    switch (index) {
        case 0:
            return r * 2.0f;
        case 2:
            return r * 0.5f;
        case 3:
            return r * 0.33333334f;
        case 4:
            return r * 0.25f;
        default:
            return r;
    }
}

float outputHalfSpan(float r, int index) {
    switch (index) {
        case 0:
            return r;
        case 2:
            return r * 0.25f;
        case 3:
            return r * 0.16666667f;
        case 4:
            return r * 0.125f;
        default:
            return r * 0.5f;
    }
}

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Keeps pixel arithmetic far from int overflow; anything this far out is clipped anyway.
int clampPixel(double v) {
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::clamp(v, -1.0e6, 1.0e6));
}

}  // namespace

std::int32_t timeTextMinutes(std::string_view text) {
    const auto t = parseRecordTime(text);
    if (!t)
        return kNoPoint;
    return static_cast<std::int32_t>(
        daysFromCivil(2013, static_cast<unsigned>(t->month), static_cast<unsigned>(t->day)) * 1440 +
        t->hour * 60 + t->minute);
}

VerticalScale VerticalScale::make(float first, float range, int outputIndex, int height) {
    VerticalScale s;
    s.height = height;
    s.span = outputSpan(range, outputIndex);
    s.bottom = first - s.span * 0.5f;
    s.scale = static_cast<float>(height) / s.span;
    s.flat = s.span == 0.0f || !std::isfinite(s.scale) || !std::isfinite(s.bottom);
    if (s.flat) {
        s.bottom = first;
        s.scale = 0.0f;
        s.centre = height / 2;
    } else {
        s.centre = clampPixel(std::trunc((first - s.bottom) * s.scale));
    }
    return s;
}

int VerticalScale::y(float v) const {
    if (flat) {
        if (v > bottom)
            return -2;  // above the top: clipped away
        if (v < bottom)
            return height + 2;
        return centre;
    }
    const float offset = (v - bottom) * scale;
    return clampPixel(2.0 * centre - std::trunc(static_cast<double>(offset)));
}

float VerticalScale::valueAt(int py) const {
    if (flat || height <= 0)
        return bottom;
    return bottom + span / static_cast<float>(height) * static_cast<float>(height - py);
}

int curveX(std::int64_t minutes, int width, int mpd, int previousX, double withinMinute) {
    if (!isTimeDivision(mpd))
        return previousX;
    if (withinMinute == 0)
        return clampPixel(static_cast<double>(minutes * width / (10LL * mpd)));
    return clampPixel((static_cast<double>(minutes) + withinMinute) * width / (10.0 * mpd));
}

std::vector<int> curveXs(const CurveSeries& s, int width, int mpd) {
    std::vector<int> xs(s.size(), kNoPoint);
    int x = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        if (s.minutes[i] == kNoPoint) {
            ++i;
            continue;
        }
        // The run of timed samples of this minute; untimed ones between them do not end it.
        std::vector<std::size_t> run;
        std::size_t j = i;
        for (; j < s.size() && (s.minutes[j] == s.minutes[i] || s.minutes[j] == kNoPoint); ++j)
            if (s.minutes[j] != kNoPoint)
                run.push_back(j);
        for (std::size_t k = 0; k < run.size(); ++k) {
            x = curveX(s.minutes[i], width, mpd, x,
                       static_cast<double>(k) / static_cast<double>(run.size()));
            xs[run[k]] = x;
        }
        i = j;
    }
    return xs;
}

CurveSeries CurveSeries::fromImport(const ImportState& st) {
    CurveSeries s;
    s.values = st.Values;
    s.minutes = st.Minutes;
    s.first = st.First;
    return s;
}

std::vector<CurvePoint> mapCurve(const CurveSeries& s, const VerticalScale& vs, int width,
                                 int mpd) {
    std::vector<CurvePoint> out;
    out.reserve(s.size());
    const std::vector<int> xs = curveXs(s, width, mpd);
    for (std::size_t i = 0; i < s.size(); ++i)
        if (xs[i] != kNoPoint)
            out.push_back({xs[i], vs.y(s.values[i])});
    return out;
}
