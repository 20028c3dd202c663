// Targets, fit targets, the least-squares line and the output slope/offset.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "calibration/CalibrationMath.h"

using namespace calib;

TEST(CalibrationTargets, AreSpreadEvenlyOverTheRangeForEachPointCount) {
    const auto two = targetValues(0.0f, 40.0f, 2);
    EXPECT_FLOAT_EQ(two[0], 0.0f);
    EXPECT_FLOAT_EQ(two[1], 40.0f);
    EXPECT_EQ(two[2], 0.0f);

    const auto three = targetValues(1.0f, 2.6f, 3);
    EXPECT_FLOAT_EQ(three[0], 1.0f);
    EXPECT_FLOAT_EQ(three[1], 1.8f);
    EXPECT_EQ(three[2], 2.6f);  // the range end itself, not a sum that drifted
    EXPECT_EQ(three[3], 0.0f);

    const auto five = targetValues(-10.0f, 30.0f, 5);
    const float expected[] = {-10.0f, 0.0f, 10.0f, 20.0f, 30.0f};
    for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(five[i], expected[i]) << "point " << i + 1;
}

TEST(CalibrationTargets, OtherPointCountsGiveNoTargets) {
    for (int n : {0, 1, 4, 6}) {
        EXPECT_FALSE(isPointCount(n));
        for (float t : targetValues(0.0f, 40.0f, n)) EXPECT_EQ(t, 0.0f);
    }
}

TEST(CalibrationTargets, AreShownWithThreeDecimals) {
    EXPECT_EQ(formatTarget(0.8f), "0.800");
    EXPECT_EQ(formatTarget(40.0f), "40.000");
    EXPECT_EQ(formatCoefficient(0.125f), "1.250000e-01");
    EXPECT_EQ(formatCoefficient(-300.5f), "-3.005000e+02");
}

TEST(FitTargets, AreScaledByThePointPosition) {
    EXPECT_EQ(pointPositionScale("0000"), 1);
    EXPECT_EQ(pointPositionScale("000.0"), 10);
    EXPECT_EQ(pointPositionScale("00.00"), 100);
    EXPECT_EQ(pointPositionScale("0.000"), 1000);
    EXPECT_EQ(pointPositionScale(""), 0);

    const auto y = fitTargets(0.0f, 1.6f, 3, "0.000", "Pressure", 0);
    EXPECT_FLOAT_EQ(y[0], 0.0f);
    EXPECT_FLOAT_EQ(y[1], 800.0f);
    EXPECT_FLOAT_EQ(y[2], 1600.0f);
}

TEST(FitTargets, LevelTargetsUseDensityAndGravity) {
    const auto y = fitTargets(0.0f, 2.0f, 2, "0000", "level", 1000);
    EXPECT_EQ(y[1], static_cast<float>(2.0L * 1000 * 9.80665L));
    EXPECT_NEAR(y[1], 19613.3f, 0.01f);
    // Density plays no part for pressure.
    EXPECT_FLOAT_EQ(fitTargets(0.0f, 2.0f, 2, "0000", "Pressure", 1000)[1], 2.0f);
}

TEST(FitTargets, AreAllZeroWithoutAPointPosition) {
    for (float v : fitTargets(0.0f, 40.0f, 5, "", "Pressure", 0)) EXPECT_EQ(v, 0.0f);
}

TEST(FitLine, RecoversAnExactLine) {
    const float x[] = {300.0f, 7500.0f, 14700.0f};
    float y[3];
    for (int i = 0; i < 3; ++i) y[i] = 0.125f * x[i] - 37.5f;
    float K = 0, B = 0;
    ASSERT_TRUE(FitLine(3, x, y, K, B));
    EXPECT_FLOAT_EQ(K, 0.125f);
    EXPECT_NEAR(B, -37.5f, 1e-3f);
}

TEST(FitLine, IsTheLeastSquaresLineOfScatteredPoints) {
    // y = 2x + 1 with residuals +1, -1, -1, +1: the symmetric noise leaves the line unchanged.
    const float x[] = {0.0f, 1.0f, 2.0f, 3.0f};
    const float y[] = {2.0f, 2.0f, 4.0f, 8.0f};
    float K = 0, B = 0;
    ASSERT_TRUE(FitLine(4, x, y, K, B));
    EXPECT_FLOAT_EQ(K, 2.0f);
    EXPECT_FLOAT_EQ(B, 1.0f);
}

TEST(FitLine, RefusesEqualReadingsInsteadOfDividingByZero) {
    const float x[] = {512.0f, 512.0f, 512.0f};
    const float y[] = {0.0f, 800.0f, 1600.0f};
    float K = 7.0f, B = 9.0f;
    EXPECT_FALSE(FitLine(3, x, y, K, B));
    EXPECT_EQ(K, 7.0f);
    EXPECT_EQ(B, 9.0f);
}

TEST(OutputSlopeOffset, LowPointTwoTenthsAndHighFourGiveTheIdentity) {
    float slope = 0, offset = 0;
    ComputeSlopeOffset(0.2f, 4.0f, slope, offset);
    EXPECT_NEAR(slope, 1.0f, 1e-6f);
    EXPECT_NEAR(offset, 0.0f, 1e-5f);
}

TEST(OutputSlopeOffset, FourAndTwentyMilliampsGiveTheDocumentedPair) {
    float slope = 0, offset = 0;
    ComputeSlopeOffset(4.0f, 20.0f, slope, offset);
    EXPECT_NEAR(slope, 4.210526f, 5e-7f);
    EXPECT_NEAR(offset, 3.157896f, 5e-7f);
    // The offset uses the rounded slope.
    EXPECT_EQ(offset, static_cast<float>(20.0L - static_cast<long double>(slope) * 4));
}

TEST(CalibrationGrid, HasHeaderPointsAndTheKAndBRows) {
    EXPECT_EQ(gridRows(2), 5);
    EXPECT_EQ(kRow(2), 3);
    EXPECT_EQ(bRow(2), 4);
    EXPECT_EQ(gridRows(3), 6);
    EXPECT_EQ(kRow(3), 4);
    EXPECT_EQ(gridRows(5), 8);
    EXPECT_EQ(kRow(5), 6);
    EXPECT_EQ(bRow(5), 7);
}

namespace {

std::uint32_t bits(float v) {
    return std::bit_cast<std::uint32_t>(v);
}

// Exact expectations, computed independently of this code by
// tests/calibration/expected_coefficients.py (exact fractions, one rounding to float where the
// rules round) and pasted here. B comes from the unrounded K: the variant that takes the
// rounded K gives another B in every case but temperature3, so it fails this table; so does any
// slip of one ulp.
struct ExactFit {
    const char* name;
    TargetSet targets;
    std::vector<float> readings;
    std::array<std::uint32_t, kMaxPoints> y;
    std::uint32_t K;
    std::uint32_t B;
};

const ExactFit kExactFits[] = {
    {"pressure3",
     {3, 0.0f, 1.6f, "0.000", "Pressure", 0},
     {412, 7589, 14803},
     {0x0, 0x44480000, 0x44C80000},
     0x3DE3B287,
     0xC23479C9},
    {"pressure5",
     {5, 10.0f, 90.0f, "000.0", "Pressure", 0},
     {3998, 6495, 9012, 11490, 14005},
     {0x42C80000, 0x43960000, 0x43FA0000, 0x442F0000, 0x44610000},
     0x3DA3C7C0,
     0xC35BBCD1},
    {"pressure2",
     {2, 0.0f, 2.0f, "00.00", "Pressure", 0},
     {700, 16700},
     {0x0, 0x43480000},
     0x3C4CCCCD,
     0xC10C0000},
    {"temperature3",
     {3, -10.0f, 30.0f, "000.0", "Temperature", 0},
     {2210, 5034, 7871},
     {0xC2C80000, 0x42C80000, 0x43960000},
     0x3D90B58C,
     0xC3800050},
    {"level3",
     {3, 0.0f, 2.0f, "0000", "level", 1000},
     {300, 2310, 4295},
     {0x0, 0x46193A9A, 0x46993A9A},
     0x409D19CA,
     0xC4BAA4B6},
    {"level5",
     {5, 0.5f, 3.5f, "00.00", "level", 1030},
     {1200, 3390, 5611, 7795, 10020},
     {0x48F69A4F, 0x499A2072, 0x49F69A4F, 0x4A298A16, 0x4A57C705},
     0x43ABD21B,
     0x47B8EB10},
};

struct ExactOutput {
    float low, high;
    std::uint32_t slope, offset;
};

// Same script: slope = (H - L) x c x 1000 with c the float nearest 0.00026315788, offset from
// the rounded slope.
const ExactOutput kExactOutputs[] = {
    {0.2f, 4.0f, 0x3F7FFFFF, 0x34800000},    // ~1 and ~0
    {4.0f, 20.0f, 0x4086BCA1, 0x404A1AF8},   // 4.210526 and 3.157896
    {0.05f, 10.1f, 0x4029435E, 0xBEF53880},  // a voltage output
    {1.02f, 5.03f, 0x3F8712DD, 0x3F4F1730},
};

}  // namespace

TEST(ExactCoefficients, FitTargetsKAndBMatchAnIndependentExactComputationBitForBit) {
    for (const ExactFit& c : kExactFits) {
        const auto y = fitTargets(c.targets);
        for (int i = 0; i < c.targets.pointCount; ++i)
            EXPECT_EQ(bits(y[i]), c.y[i]) << c.name << " point " << i + 1;
        float K = 0, B = 0;
        ASSERT_TRUE(FitLine(c.targets.pointCount, c.readings.data(), y.data(), K, B)) << c.name;
        EXPECT_EQ(bits(K), c.K) << c.name << " K = " << K;
        EXPECT_EQ(bits(B), c.B) << c.name << " B = " << B;
    }
}

TEST(ExactCoefficients, OutputSlopeAndOffsetMatchAnIndependentExactComputationBitForBit) {
    for (const ExactOutput& c : kExactOutputs) {
        float slope = 0, offset = 0;
        ComputeSlopeOffset(c.low, c.high, slope, offset);
        EXPECT_EQ(bits(slope), c.slope) << c.low << "/" << c.high << " slope = " << slope;
        EXPECT_EQ(bits(offset), c.offset) << c.low << "/" << c.high << " offset = " << offset;
    }
}

// Residuals from an exact least-squares computation (python3, fractions) of readings 1000, 2100,
// 3000 against targets 0, 800, 1600 (point 2 read 100 counts too high): -0.023920, 0.053156,
// -0.029236 MPa. The stored float K and B may move them by far less than 1e-6.
TEST(FitQuality, AWrongPointStandsOutAndIsMarkedBeyondHalfAPercentOfTheSpan) {
    const TargetSet t{3, 0.0f, 1.6f, "0.000", "Pressure", 0};
    const float x[] = {1000.0f, 2100.0f, 3000.0f};
    const auto y = fitTargets(t);
    float K = 0, B = 0;
    ASSERT_TRUE(FitLine(3, x, y.data(), K, B));
    const FitQuality q = fitQuality(t, x, K, B);
    EXPECT_NEAR(q.residuals[0], -0.023920, 1e-6);
    EXPECT_NEAR(q.residuals[1], 0.053156, 1e-6);
    EXPECT_NEAR(q.residuals[2], -0.029236, 1e-6);
    EXPECT_EQ(q.residuals[3], 0.0);
    EXPECT_NEAR(q.largest, 0.053156, 1e-6);
    EXPECT_TRUE(q.marked);  // 0.053 > 0.5 % of 1.6 MPa

    const float good[] = {1000.0f, 2000.0f, 3000.0f};
    ASSERT_TRUE(FitLine(3, good, y.data(), K, B));
    const FitQuality ok = fitQuality(t, good, K, B);
    EXPECT_LT(ok.largest, 1e-6);
    EXPECT_FALSE(ok.marked);
}

TEST(FitQuality, LevelResidualsAreInTheLevelUnit) {
    // The same readings against a level of 0..2 m of water: residuals 1.25 times the pressure
    // ones above, in metres, whatever density and gravity make of the fit targets.
    const TargetSet t{3, 0.0f, 2.0f, "0000", "level", 1000};
    const float x[] = {1000.0f, 2100.0f, 3000.0f};
    const auto y = fitTargets(t);
    float K = 0, B = 0;
    ASSERT_TRUE(FitLine(3, x, y.data(), K, B));
    const FitQuality q = fitQuality(t, x, K, B);
    EXPECT_NEAR(q.residuals[0], -0.029900, 1e-5);
    EXPECT_NEAR(q.residuals[1], 0.066445, 1e-5);
    EXPECT_NEAR(q.residuals[2], -0.036545, 1e-5);
    EXPECT_TRUE(q.marked);
}

TEST(FitQuality, ALargestResidualWithinHalfAPercentOfTheSpanIsNotMarked) {
    // K and B given by hand, B shifted from the exact 0: every residual is that shift. The limit
    // on 0..100 is 0.5.
    const TargetSet t{2, 0.0f, 100.0f, "0000", "Pressure", 0};
    const float x[] = {0.0f, 800.0f};
    const FitQuality within = fitQuality(t, x, 0.125f, 0.4f);
    EXPECT_NEAR(within.largest, 0.4, 1e-6);
    EXPECT_FALSE(within.marked);
    EXPECT_TRUE(fitQuality(t, x, 0.125f, -0.6f).marked);
}

TEST(VerifyError, IsTheMeasuredValueAgainstThePointsTargetInTheMeasuringUnit) {
    const TargetSet pressure{3, 0.0f, 1.6f, "0.000", "Pressure", 0};
    EXPECT_NEAR(verifyError(pressure, 2, 801), 0.001, 1e-6);
    EXPECT_NEAR(verifyError(pressure, 3, 1590), -0.010, 1e-6);
    const TargetSet level{2, 0.0f, 2.0f, "0000", "level", 1000};
    EXPECT_NEAR(verifyError(level, 2, 19613), -0.3 / 9806.65, 1e-9);
    EXPECT_EQ(unitDecimals(pressure), 4);
    EXPECT_EQ(unitDecimals(level), 5);
    EXPECT_EQ(unitDecimals({2, 0.0f, 40.0f, "0000", "Pressure", 0}), 1);
}

TEST(TargetSets, KnowWhenTheirTargetsCannotBeMade) {
    EXPECT_EQ(unitFactor({3, 0.0f, 1.6f, "00.00", "Pressure", 0}), 100.0L);
    EXPECT_EQ(unitFactor({3, 0.0f, 1.6f, "", "Pressure", 0}), 0.0L);
    EXPECT_EQ(unitFactor({3, 0.0f, 1.6f, "0000", "level", 0}), 0.0L);
    EXPECT_EQ(unitFactor({3, 0.0f, 1.6f, "0000", "level", 850}), 850 * 9.80665L);
}

TEST(VerifyError, IsShownOneDigitFinerThanADeviceStepAndNeverAsMinusZero) {
    const TargetSet pressure{3, 0.0f, 1.6f, "0.000", "Pressure", 0};
    EXPECT_EQ(formatInUnit(pressure, 0.00104), "0.0010");
    EXPECT_EQ(formatInUnit(pressure, -0.0237), "-0.0237");
    EXPECT_EQ(formatInUnit(pressure, -1e-9), "0.0000");
    EXPECT_EQ(formatInUnit({2, 0.0f, 40.0f, "0000", "Pressure", 0}, -0.04), "0.0");
}
