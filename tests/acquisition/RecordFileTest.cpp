// Record file layout, names and the import's splitting rules.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
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

// A write that stops part-way (a full disk; here the file size limit) leaves nothing of its line,
// so the next sample's line does not join a fragment.
TEST(RecordWriterTest, FailedWriteLeavesNoPartialLineForTheNextOne) {
    TempDir dir;
    const std::string path = dir.file("a.rec");
    ASSERT_TRUE(RecordWriter(path).append(kRecordHeader));
    const std::string line = "01-02 03:04\t1234\t0\t0\t0\r\n";
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = kRecordHeader.size() + 10;  // room for 10 bytes of the line only
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = RecordWriter(path).append(line);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_EQ(bytesOf(path), std::string(kRecordHeader));
    ASSERT_TRUE(RecordWriter(path).append(line));
    EXPECT_EQ(bytesOf(path), std::string(kRecordHeader) + line);
}

TEST(RecordWriterTest, FileCutInMidLineGetsALineEndBeforeTheNextLine) {
    TempDir dir;
    writeFileBytes(dir.file("a.rec"), std::string(kRecordHeader) + "01-02 03:04\t12");
    ASSERT_TRUE(RecordWriter(dir.file("a.rec")).append("01-02 03:05\t1\t0\t0\t0\r\n"));
    EXPECT_EQ(bytesOf(dir.file("a.rec")),
              std::string(kRecordHeader) + "01-02 03:04\t12\r\n01-02 03:05\t1\t0\t0\t0\r\n");
}

// One acquisition holds a record file at a time; a name nobody holds is appended to as before,
// and a file that never got a byte does not stay behind.
TEST(RecordWriterTest, HeldFileSendsTheNextAcquisitionToTheNextFreeName) {
    TempDir dir;
    const std::tm start = tmOf(2024, 12, 7, 10, 0, 5);
    int error = -1;
    auto a = openRecordFile(dir.path(), start, error);
    ASSERT_TRUE(a) << std::strerror(error);
    ASSERT_TRUE(a->append(kRecordHeader));
    auto b = openRecordFile(dir.path(), start, error);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->path().filename(), "20241207100005-2.rec");
    b.reset();
    EXPECT_FALSE(std::filesystem::exists(dir.file("20241207100005-2.rec")));
    a.reset();
    auto c = openRecordFile(dir.path(), start, error);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->path().filename(), "20241207100005.rec");
    ASSERT_TRUE(c->append(kRecordHeader));
    EXPECT_EQ(bytesOf(dir.file("20241207100005.rec")),
              std::string(kRecordHeader) + std::string(kRecordHeader));
    EXPECT_FALSE(openRecordFile(dir.file("no/such"), start, error));
    EXPECT_EQ(error, ENOENT);
    const auto second = recordStartOfName("20241207100005-2.rec");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->tm_sec, 5);
    EXPECT_FALSE(recordStartOfName("20241207100005-1.rec"));
    EXPECT_FALSE(recordStartOfName("20241207100005-.rec"));
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

TEST(RecordFileNames, StartTimeOfAName) {
    const auto t = recordStartOfName("20241231235930.rec");
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->tm_year + 1900, 2024);
    EXPECT_EQ(t->tm_mon + 1, 12);
    EXPECT_EQ(t->tm_mday, 31);
    EXPECT_EQ(t->tm_sec, 30);
    for (const char* other : {"2024123123593.rec", "20241231235930.txt", "2024123123593x.rec",
                              "20241331235930.rec", "export.rec", ""})
        EXPECT_FALSE(recordStartOfName(other).has_value()) << other;
}

TEST(RecordFileTimes, TimeTextFields) {
    const auto t = parseRecordTime("12-07 10:30");
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->month, 12);
    EXPECT_EQ(t->day, 7);
    EXPECT_EQ(t->hour, 10);
    EXPECT_EQ(t->minute, 30);
    for (const char* other : {"", "Time", "12-07 10:3", "12/07 10:30", "00-07 10:30", "12-07 24:00",
                              "12-32 10:30", "12-07 10:60"})
        EXPECT_FALSE(parseRecordTime(other).has_value()) << other;
}

TEST(RecordFileText, PrefixKeepsWholeGbkCharactersAndTextBecomesUtf8) {
    const std::string gbk =
        "ab\xA1\xE6"  // "ab℃"
        "c";
    EXPECT_EQ(recordTextPrefix(gbk, 10), gbk);
    EXPECT_EQ(recordTextPrefix(gbk, 3), "ab");  // not half of the character
    EXPECT_EQ(recordTextPrefix(gbk, 4), "ab\xA1\xE6");
    EXPECT_EQ(recordTextUtf8("plain"), "plain");
    EXPECT_EQ(recordTextUtf8(gbk),
              "ab\xE2\x84\x83"
              "c");
    // Not GBK: every byte stays, as Latin-1.
    EXPECT_EQ(recordTextUtf8("\xFF"), "\xC3\xBF");
}
