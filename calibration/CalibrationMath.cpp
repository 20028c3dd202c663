#include "calibration/CalibrationMath.h"

#include <cmath>

#include "base/NumberText.h"
#include "link/ParameterCodes.h"
#include "link/RegisterMap.h"

namespace calib {

bool isPointCount(int n) {
    return n == 2 || n == 3 || n == 5;
}

std::array<float, kMaxPoints> targetValues(float start, float end, int n) {
    std::array<float, kMaxPoints> t{};
    if (!isPointCount(n))
        return t;
    const long double s = start;
    const long double span = static_cast<long double>(end) - s;
    const long double step = 1.0L / (n - 1);
    for (int i = 0; i < n; ++i) t[i] = static_cast<float>(s + span * (step * i));
    t[n - 1] = end;
    return t;
}

int pointPositionScale(const std::string& p) {
    return reg::dotMultiplier(p).value_or(0);
}

std::array<float, kMaxPoints> fitTargets(float start, float end, int n,
                                         const std::string& pointPosition,
                                         const std::string& signalType, int density) {
    std::array<float, kMaxPoints> y{};
    const int scale = pointPositionScale(pointPosition);
    if (scale == 0)
        return y;
    const auto t = targetValues(start, end, n);
    const bool level = reg::signalTypeOf(signalType) == reg::SignalKind::Level;
    for (int i = 0; i < kMaxPoints; ++i) {
        long double v = static_cast<long double>(t[i]);
        if (level)
            v = v * density * scale * kGravity;
        else
            v = v * scale;
        y[i] = static_cast<float>(v);
    }
    return y;
}

std::array<float, kMaxPoints> targetValues(const TargetSet& t) {
    return targetValues(t.rangeStart, t.rangeEnd, t.pointCount);
}

std::array<float, kMaxPoints> fitTargets(const TargetSet& t) {
    return fitTargets(t.rangeStart, t.rangeEnd, t.pointCount, t.pointPosition, t.signalType,
                      t.density);
}

long double unitFactor(const TargetSet& t) {
    const long double scale = pointPositionScale(t.pointPosition);
    if (reg::signalTypeOf(t.signalType) == reg::SignalKind::Level)
        return t.density > 0 ? scale * t.density * kGravity : 0.0L;
    return scale;
}

FitQuality fitQuality(const TargetSet& t, const float* x, float K, float B) {
    FitQuality q;
    const long double factor = unitFactor(t);
    if (factor == 0.0L || !isPointCount(t.pointCount))
        return q;
    const auto y = fitTargets(t);
    for (int i = 0; i < t.pointCount; ++i) {
        // What the device will compute from this reading with the coefficients as stored.
        const long double produced = static_cast<long double>(K) * x[i] + B;
        q.residuals[i] = static_cast<double>((produced - y[i]) / factor);
        q.largest = std::max(q.largest, std::fabs(q.residuals[i]));
    }
    q.marked = beyondResidualLimit(t, q.largest);
    return q;
}

bool beyondResidualLimit(const TargetSet& t, double v) {
    const double span = std::fabs(static_cast<double>(t.rangeEnd) - t.rangeStart);
    return std::fabs(v) > kResidualLimit * span;
}

double measuredInUnit(const TargetSet& t, std::uint16_t measured) {
    const long double factor = unitFactor(t);
    return factor == 0.0L ? 0.0 : static_cast<double>(measured / factor);
}

double verifyError(const TargetSet& t, int point, std::uint16_t measured) {
    const auto targets = targetValues(t);
    return measuredInUnit(t, measured) - targets.at(point - 1);
}

int unitDecimals(const TargetSet& t) {
    const long double factor = unitFactor(t);
    if (factor < 1.0L)
        return 1;
    return std::min(6, static_cast<int>(std::ceil(std::log10(static_cast<double>(factor)))) + 1);
}

std::string formatInUnit(const TargetSet& t, double v) {
    std::string text = num::formatFixed(v, unitDecimals(t));
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

bool FitLine(int n, const float* x, const float* y, float& K, float& B) {
    long double sx = 0, sy = 0, sxy = 0, sxx = 0;
    for (int i = 0; i < n; ++i) {
        const long double xi = x[i];
        const long double yi = y[i];
        sx += xi;
        sy += yi;
        sxy += xi * yi;
        sxx += xi * xi;
    }
    const long double denominator = n * sxx - sx * sx;
    if (n < 2 || denominator == 0.0L)
        return false;
    const long double k = (n * sxy - sx * sy) / denominator;
    const long double b = (sy - k * sx) / n;
    K = static_cast<float>(k);
    B = static_cast<float>(b);
    return true;
}

void ComputeSlopeOffset(float low, float high, float& slope, float& offset) {
    constexpr float c = 0.00026315788f;
    const long double s = (static_cast<long double>(high) - low) * c * 1000.0L;
    slope = static_cast<float>(s);
    offset =
        static_cast<float>(static_cast<long double>(high) - static_cast<long double>(slope) * 4);
}

std::string formatTarget(float v) {
    return num::formatFixed(v, 3);
}

std::string formatCoefficient(float v) {
    return num::formatExponent(v);
}

}  // namespace calib
