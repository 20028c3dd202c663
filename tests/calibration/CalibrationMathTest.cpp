// Targets, fit targets, the least-squares line and the output slope/offset.
#include <gtest/gtest.h>

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
