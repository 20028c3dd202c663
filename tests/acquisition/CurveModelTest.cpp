// The curve's mapping of samples to pixels.
#include <gtest/gtest.h>

#include "acquisition/CurveModel.h"
#include "acquisition/RecordImport.h"
#include "base/NumberText.h"
#include "tests/support/RecordingMessages.h"

namespace {

// The import state of a record file with these time texts and values.
ImportState stateOf(const std::vector<std::pair<std::string, float>>& points) {
    std::string file(kRecordHeader);
    for (const auto& [t, v] : points) file += t + "\t" + num::formatFixed(v, 3) + "\t0\t0\t0\r\n";
    RecordTable table;
    ImportState s;
    RecordingMessages m;
    importRecordBytes(file, table, s, m);
    return s;
}

}  // namespace

TEST(CurveMapping, TenMinuteSamplesAtTenMinuteDivisionLieHundredPixelsApart) {
    auto st =
        stateOf({{"12-07 10:00", 5}, {"12-07 10:10", 5}, {"12-07 10:20", 5}, {"12-07 10:30", 5}});
    const auto s = CurveSeries::fromImport(st);
    const auto vs = VerticalScale::make(s.first, 40.0f, 1, 390);
    const auto pts = mapCurve(s, vs, 1000, 10);
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_EQ(pts[0].x, 0);
    EXPECT_EQ(pts[1].x, 100);
    EXPECT_EQ(pts[2].x, 200);
    EXPECT_EQ(pts[3].x, 300);
}

// Three samples written within one minute used to stack at one x, one dot hiding the others.
TEST(CurveMapping, SamplesOfOneMinuteAreSpreadOverItInTheirOrder) {
    auto st = stateOf({{"12-07 10:00", 1},
                       {"12-07 10:00", 2},
                       {"12-07 10:00", 3},
                       {"12-07 10:01", 4},
                       {"12-07 10:01", 5},
                       {"12-07 10:03", 6}});
    const auto s = CurveSeries::fromImport(st);
    const auto vs = VerticalScale::make(s.first, 40.0f, 1, 390);
    std::vector<int> xs;
    for (const CurvePoint& p : mapCurve(s, vs, 1000, 5)) xs.push_back(p.x);  // 20 px a minute
    EXPECT_EQ(xs, (std::vector<int>{0, 6, 13, 20, 30, 60}));
    // At an hour a division a minute is under two pixels: the order still holds.
    xs.clear();
    for (const CurvePoint& p : mapCurve(s, vs, 1000, 60)) xs.push_back(p.x);
    EXPECT_EQ(xs, (std::vector<int>{0, 0, 1, 1, 2, 5}));
}

TEST(CurveMapping, FirstSampleHalfWayUpAndHalfSpanAtTheEdges) {
    constexpr int H = 400;
    const auto vs = VerticalScale::make(20.0f, 40.0f, 1, H);  // S = 40, b = 0
    EXPECT_EQ(vs.y(20.0f), H / 2);
    EXPECT_EQ(vs.y(40.0f), 0);  // F + S/2: the top edge
    EXPECT_EQ(vs.y(0.0f), H);   // F - S/2: the bottom edge
    // A sample above the plot lies above it (negative y), never at its mirrored height.
    EXPECT_LT(vs.y(50.0f), 0);
    EXPECT_EQ(vs.y(50.0f), -100);
}

TEST(CurveMapping, OutputIndexSetsSpanAndHalfSpan) {
    EXPECT_FLOAT_EQ(outputSpan(40, 0), 80);
    EXPECT_FLOAT_EQ(outputSpan(40, 1), 40);
    EXPECT_FLOAT_EQ(outputSpan(40, 2), 20);
    EXPECT_FLOAT_EQ(outputSpan(40, 3), 40 * 0.33333334f);
    EXPECT_FLOAT_EQ(outputSpan(40, 4), 10);
    EXPECT_FLOAT_EQ(outputHalfSpan(40, 0), 40);
    EXPECT_FLOAT_EQ(outputHalfSpan(40, 3), 40 * 0.16666667f);
    const auto half = VerticalScale::make(20.0f, 40.0f, 2, 400);  // S = 20
    EXPECT_EQ(half.y(30.0f), 0);
}

TEST(CurveMapping, ZeroSpanIsFlatAndNeverFails) {
    const auto vs = VerticalScale::make(7.0f, 0.0f, 1, 390);
    EXPECT_TRUE(vs.flat);
    EXPECT_EQ(vs.y(7.0f), 195);
    EXPECT_LT(vs.y(8.0f), 0);    // clipped above
    EXPECT_GT(vs.y(6.0f), 390);  // clipped below
    EXPECT_FLOAT_EQ(vs.valueAt(10), 7.0f);
}

TEST(CurveMapping, NegativeRangeTurnsTheAxisOverToMatchTheLabels) {
    // Range start 40, end 0: the labels read F + h = 0 at the top and F - h = 40 at the bottom.
    const float first = 20.0f, range = -40.0f;
    const auto vs = VerticalScale::make(first, range, 1, 400);
    EXPECT_FALSE(vs.flat);
    const float h = outputHalfSpan(range, 1);
    EXPECT_EQ(vs.y(first), 200);
    EXPECT_EQ(vs.y(first + h), 0);    // the top label's value at the top edge
    EXPECT_EQ(vs.y(first - h), 400);  // the bottom label's value at the bottom edge
    EXPECT_FLOAT_EQ(vs.valueAt(0), first + h);
    EXPECT_FLOAT_EQ(vs.valueAt(400), first - h);
}

TEST(CurveMapping, HugeValuesStayWithinPixelArithmetic) {
    const auto vs = VerticalScale::make(0.0f, 1e-30f, 1, 390);
    EXPECT_LE(vs.y(3e38f), 0);
    EXPECT_GE(vs.y(-3e38f), 390);
}

TEST(CurveMapping, ReadoutIsTheValueUnderTheRow) {
    const auto vs = VerticalScale::make(20.0f, 40.0f, 1, 400);
    EXPECT_FLOAT_EQ(vs.valueAt(0), 40.0f);
    EXPECT_FLOAT_EQ(vs.valueAt(200), 20.0f);
    EXPECT_FLOAT_EQ(vs.valueAt(400), 0.0f);
}

TEST(CurveMapping, UnknownDivisionKeepsThePreviousX) {
    EXPECT_EQ(curveX(30, 1000, 7, 42), 42);
    EXPECT_EQ(curveX(30, 1000, 30, 42), 100);
    EXPECT_EQ(curveX(60 * 24, 1000, 1200, 0), 120);  // one day at 20 hours a division
}

TEST(CurveMapping, TimeTextsAndYearEnd) {
    EXPECT_EQ(timeTextMinutes("01-01 00:01") - timeTextMinutes("01-01 00:00"), 1);
    EXPECT_EQ(timeTextMinutes("03-01 00:00") - timeTextMinutes("02-28 00:00"), 1440);  // 2013
    EXPECT_EQ(timeTextMinutes(""), kNoPoint);
    EXPECT_EQ(timeTextMinutes("Time"), kNoPoint);
    EXPECT_EQ(timeTextMinutes("13-01 00:00"), kNoPoint);
    EXPECT_EQ(timeTextMinutes("12-01 24:00"), kNoPoint);
    // Over the new year the later points lie left of the first one.
    auto st = stateOf({{"12-31 23:50", 1}, {"01-01 00:10", 1}});
    const auto s = CurveSeries::fromImport(st);
    EXPECT_LT(s.minutes[1], 0);
}

TEST(CurveMapping, PointsWithoutATimePlaceNothing) {
    auto st = stateOf({{"12-07 10:00", 1}, {"", 0}, {"Time", 1}, {"12-07 11:00", 2}});
    const auto s = CurveSeries::fromImport(st);
    EXPECT_EQ(st.DataRows, 4u);
    EXPECT_EQ(s.size(), 2u);  // only the rows with a time are kept for the curve
    const auto pts = mapCurve(s, VerticalScale::make(s.first, 40, 1, 390), 1000, 60);
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[1].x, 100);
    EXPECT_EQ(pts[1].y, VerticalScale::make(s.first, 40, 1, 390).y(2.0f));
    // The centre is the first data row even when that row places no point.
    EXPECT_FLOAT_EQ(CurveSeries::fromImport(stateOf({{"x", 7}, {"12-07 10:00", 1}})).first, 7.0f);
}
