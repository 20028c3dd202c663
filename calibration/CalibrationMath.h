#pragma once
// The arithmetic of sensor and output calibration: target values, fit targets, the least-squares
// line and the output slope/offset. Rounding contract: every value is computed in long double and
// rounded to float once, where it is stored, as the devices' coefficients are single precision.

#include <array>
#include <cstdint>
#include <string>

#include "link/DeviceAddress.h"

namespace calib {

constexpr int kMaxPoints = 5;
constexpr int kAddressCount = device_address::kLast;

// 2, 3 and 5 points are the only counts the page offers.
bool isPointCount(int n);

// Targets of points 1..n spread evenly from `start` to `end`; entries past n are 0.
std::array<float, kMaxPoints> targetValues(float start, float end, int n);

// 1, 10, 100 or 1000 for "0000", "000.0", "00.00", "0.000"; 0 for any other text.
int pointPositionScale(const std::string& pointPosition);

// Level targets (signal type "level") are converted to pressure by density and g.
inline constexpr long double kGravity = 9.80665L;

// What the fitted line must produce at each point, in units of the last digit of the point
// position (and in pascal-like units for level: target x density x g). All 0 when the point
// position is unknown.
std::array<float, kMaxPoints> fitTargets(float start, float end, int n,
                                         const std::string& pointPosition,
                                         const std::string& signalType, int density);

// What the targets of a calibration run are made of. Readings belong to the set they were
// acquired for: any change of it makes them readings of other targets.
struct TargetSet {
    int pointCount = 3;
    float rangeStart = 0.0f;
    float rangeEnd = 40.0f;
    std::string pointPosition;
    std::string signalType = "Pressure";
    int density = 0;

    bool operator==(const TargetSet&) const = default;
};

std::array<float, kMaxPoints> targetValues(const TargetSet& t);
std::array<float, kMaxPoints> fitTargets(const TargetSet& t);

// Fit-target units per measuring unit: the point position's scale, times density and gravity for
// a level. 0 when the targets cannot be made (no point position, a level without a density).
long double unitFactor(const TargetSet& t);

// Ordinary least squares of y on x over n points, sums in long double. False (K, B untouched)
// when all readings are equal and the slope is undefined.
bool FitLine(int n, const float* x, const float* y, float& K, float& B);

// How well a stored K and B reproduce the targets: the residual K x + B - y at each point, in the
// measuring unit, and the largest in magnitude. A device whose largest residual exceeds this
// share of the span has a wrong point or a stuck sensor.
inline constexpr double kResidualLimit = 0.005;
struct FitQuality {
    std::array<double, kMaxPoints> residuals{};  // entries past the point count are 0
    double largest = 0.0;                        // of the magnitudes
    bool marked = false;                         // largest > kResidualLimit x |span|
};
FitQuality fitQuality(const TargetSet& t, const float* x, float K, float B);
// Whether a residual or a verify error (measuring unit) is beyond that share of the span.
bool beyondResidualLimit(const TargetSet& t, double v);

// The measured value a device reports, in the measuring unit, and its error against point k's
// target (1-based).
double measuredInUnit(const TargetSet& t, std::uint16_t measured);
double verifyError(const TargetSet& t, int point, std::uint16_t measured);

// Decimals that show a value in the measuring unit one digit finer than a device's step.
int unitDecimals(const TargetSet& t);
// A residual or an error in the measuring unit with those decimals ("0.0000", never "-0.0000").
std::string formatInUnit(const TargetSet& t, double v);

// Slope and offset of the analogue output from the values read at the low and high calibration
// points: slope = (H - L) / 3.8 through the single-precision constant, offset = H - 4 * slope.
void ComputeSlopeOffset(float low, float high, float& slope, float& offset);

// Grid shape for n points: one header row, n point rows, the K row and the B row.
inline int gridRows(int n) {
    return n + 3;
}
inline int kRow(int n) {
    return n + 1;
}
inline int bRow(int n) {
    return n + 2;
}

// printf-style formatting used by the page ("%0.3f" targets, "%e" coefficients, "%d" readings).
std::string formatTarget(float v);
std::string formatCoefficient(float v);

}  // namespace calib
