// Record file layout, names and the import's splitting rules.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "acquisition/RecordFile.h"
#include "acquisition/RecordImport.h"
#include "tests/support/TestBus.h"

namespace {

std::tm tmOf(int y, int mo, int d, int h, int mi, int s) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    return t;
}

std::string bytesOf(const std::string& path) {
    auto b = readFileBytes(path);
    return std::string(b.begin(), b.end());
}

}  // namespace

TEST(RecordFileLayout, NameIsStartTimeWithSecondsAndRecSuffix) {
    EXPECT_EQ(recordFileName(tmOf(2024, 3, 7, 9, 5, 2)), "20240307090502.rec");
    EXPECT_EQ(recordFileName(tmOf(2024, 12, 31, 23, 59, 59)).size(), 18u);
}

TEST(RecordFileLayout, HeaderIsFifteenBytesWithCrLf) {
    EXPECT_EQ(kRecordHeader, std::string_view("\x09Time\x09"
                                              "1\x09"
                                              "2\x09"
                                              "3\x09"
                                              "4\r\n"));
    EXPECT_EQ(kRecordHeader.size(), 15u);
}

TEST(RecordFileLayout, ValueTextFollowsPointPosition) {
    EXPECT_EQ(recordValueText(1234, "0000"), "1234");
    EXPECT_EQ(recordValueText(1234, "000.0"), "123.4");
    EXPECT_EQ(recordValueText(1234, "00.00"), "12.34");
    EXPECT_EQ(recordValueText(5, "0.000"), "0.005");
    EXPECT_EQ(recordValueText(65535, "0000"), "65535");  // unsigned, never negative
    EXPECT_EQ(recordValueText(1234, ""), "");
    EXPECT_EQ(recordValueText(1234, "00.0"), "");
}

TEST(RecordFileLayout, SampleLineByteForByte) {
    EXPECT_EQ(recordSampleLine(tmOf(2024, 12, 7, 10, 30, 45), "123.4"),
              "12-07 10:30\t123.4\t0\t0\t0\r\n");
    // An empty value text leaves two adjacent tabs.
    EXPECT_EQ(recordSampleLine(tmOf(2024, 1, 2, 3, 4, 5), ""), "01-02 03:04\t\t0\t0\t0\r\n");
}

TEST(RecordWriterTest, AppendsWholeLinesAndKeepsWhatTheFileHeld) {
    TempDir dir;
    RecordWriter w(dir.file("a.rec"));
    ASSERT_TRUE(w.append(kRecordHeader));
    ASSERT_TRUE(w.append("01-02 03:04\t1\t0\t0\t0\r\n"));
    ASSERT_TRUE(RecordWriter(dir.file("a.rec")).append(kRecordHeader));
    EXPECT_EQ(
        bytesOf(dir.file("a.rec")),
        std::string(kRecordHeader) + "01-02 03:04\t1\t0\t0\t0\r\n" + std::string(kRecordHeader));
}

TEST(RecordWriterTest, MissingDirectoryIsAFailureNotSuccess) {
    TempDir dir;
    EXPECT_FALSE(RecordWriter(dir.file("no/such/dir/a.rec")).append(kRecordHeader));
}

TEST(RecordSplitting, RunsOfTabsAreOneSeparatorAndEdgesAreIgnored) {
    auto p = splitRecordLine("\tTime\t1\t2\t3\t4");
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[0], "Time");
    EXPECT_EQ(p[4], "4");
    auto q = splitRecordLine("01-02 03:04\t\t0\t0\t0");
    ASSERT_EQ(q.size(), 4u);  // the empty value merges away: the zeros move left
    EXPECT_EQ(q[1], "0");
    EXPECT_TRUE(splitRecordLine("").empty());
    EXPECT_TRUE(splitRecordLine("\t\t\t").empty());
}
