// The record table as CSV: layout, quoting, text code page and the years the times get.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "acquisition/RecordExport.h"
#include "acquisition/RecordImport.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TestBus.h"

namespace {

struct Table {
    RecordTable table;
    ImportState state;
    RecordingMessages messages;
};

// The CSV of a record file with these bytes, imported as a file named `name` last written at
// `modified` (local time, for a name that carries no start time).
std::string csvOf(const std::string& bytes, const std::string& name,
                  std::optional<std::tm> modified = std::nullopt, int fallbackYear = 1999) {
    Table t;
    importRecordBytes(bytes, t.table, t.state, t.messages);
    t.table.source.fileName = name;
    if (modified) {
        std::tm m = *modified;
        m.tm_isdst = -1;
        t.table.source.modified = std::mktime(&m);
    }
    std::string out;
    EXPECT_TRUE(writeRecordCsv(t.table, fallbackYear, [&](std::string_view s) {
        out += s;
        return true;
    }));
    return out;
}

std::string sample(const char* time, const char* value = "1") {
    return std::string(time) + "\t" + value + "\t0\t0\t0\r\n";
}

std::tm localDay(int y, int mo, int d) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = 12;
    return t;
}

const std::string kHeader(kRecordHeader);

}  // namespace

TEST(RecordCsv, OneHeaderLineThenOneLinePerSampleWithIsoTimes) {
    const std::string csv =
        csvOf(kHeader + sample("12-07 10:30", "123.4") + sample("12-07 10:40", "124.0"),
              "20241207102955.rec");
    EXPECT_EQ(csv,
              "Time,1,2,3,4\r\n"
              "2024-12-07T10:30,123.4,0,0,0\r\n"
              "2024-12-07T10:40,124.0,0,0,0\r\n");
}

TEST(RecordCsv, FieldsAreQuotedWhereNeededMissingPiecesAreEmptyAndTextIsUtf8) {
    const std::string csv = csvOf(
        "\tTime\tA,B\tC\r\n"
        "Time\tsay \"hi\"\tx\r\n"     // a second header: no time, written as it stands
        "01-02 03:04\r\n"             // pieces missing
        "01-02 03:05\t\xA1\xE6\r\n",  // "℃" in GBK
        "20240102030000.rec");
    EXPECT_EQ(csv,
              "Time,\"A,B\",C\r\n"
              "Time,\"say \"\"hi\"\"\",x\r\n"
              "2024-01-02T03:04,,\r\n"
              "2024-01-02T03:05,\xE2\x84\x83,\r\n");
}

TEST(RecordCsv, YearsFollowTheStartInTheNameAndTurnAtTheNewYear) {
    struct Case {
        const char* name;
        std::string rows;
        std::optional<std::tm> modified;
        std::string csvTimes;  // the times, one a line
    } cases[] = {
        {"over the new year", sample("12-31 23:50") + sample("01-01 00:00") + sample("01-01 00:10"),
         std::nullopt, "2024-12-31T23:50 2025-01-01T00:00 2025-01-01T00:10"},
        {"started on 31 December, first sample in January", sample("01-01 00:05"), std::nullopt,
         "2025-01-01T00:05"},
        {"clock set back within the month stays in the year",
         sample("12-31 23:50") + sample("12-31 23:10") + sample("12-31 23:20"), std::nullopt,
         "2024-12-31T23:50 2024-12-31T23:10 2024-12-31T23:20"},
        {"two new years", sample("12-31 23:59") + sample("06-01 00:00") + sample("01-01 00:00"),
         std::nullopt, "2024-12-31T23:59 2025-06-01T00:00 2026-01-01T00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string csv = csvOf(kHeader + c.rows, "20241231235500.rec", c.modified);
        std::string times;
        for (std::size_t p = csv.find("\r\n") + 2; p < csv.size(); p = csv.find("\r\n", p) + 2)
            times += (times.empty() ? "" : " ") + csv.substr(p, csv.find(',', p) - p);
        EXPECT_EQ(times, c.csvTimes);
    }
}

TEST(RecordCsv, WithoutAStartInTheNameTheLastSampleIsInTheYearTheFileWasWritten) {
    const std::string rows = sample("12-30 08:00") + sample("01-02 09:00");
    EXPECT_EQ(csvOf(kHeader + rows, "copy.rec", localDay(2025, 1, 10)),
              "Time,1,2,3,4\r\n2024-12-30T08:00,1,0,0,0\r\n2025-01-02T09:00,1,0,0,0\r\n");
    // Written in January, last sample in December: that December was the year before.
    EXPECT_EQ(csvOf(kHeader + sample("12-30 08:00"), "copy.rec", localDay(2025, 1, 10)),
              "Time,1,2,3,4\r\n2024-12-30T08:00,1,0,0,0\r\n");
    // Nothing known at all: the year given.
    EXPECT_EQ(csvOf(kHeader + sample("03-04 05:06"), "", std::nullopt, 2031),
              "Time,1,2,3,4\r\n2031-03-04T05:06,1,0,0,0\r\n");
}

TEST(RecordCsvFile, WrittenWholeOrNotAtAll) {
    TempDir dir;
    writeFileBytes(dir.file("20241207102955.rec"), kHeader + sample("12-07 10:30"));
    Table t;
    ASSERT_EQ(importRecordFile(dir.file("20241207102955.rec"), t.table, t.state, t.messages),
              ImportOutcome::Loaded);
    const ExportResult ok = exportRecordCsv(t.table, dir.file("out.csv"));
    ASSERT_TRUE(ok.ok) << ok.why;
    const auto b = readFileBytes(dir.file("out.csv"));
    EXPECT_EQ(std::string(b.begin(), b.end()), "Time,1,2,3,4\r\n2024-12-07T10:30,1,0,0,0\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.csv.part")));

    const ExportResult missing = exportRecordCsv(t.table, dir.file("no/such/dir/out.csv"));
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.cancelled);
    EXPECT_EQ(missing.why, std::strerror(ENOENT));

    std::atomic<int> stop{1};
    writeFileBytes(
        dir.file("big.rec"), kHeader + std::string(70000, 'x') + "\r\n" + [] {
            std::string s;
            for (int i = 0; i < 70000; ++i) s += "x\r\n";
            return s;
        }());
    Table big;
    ASSERT_EQ(importRecordFile(dir.file("big.rec"), big.table, big.state, big.messages),
              ImportOutcome::Loaded);
    const ExportResult stopped =
        exportRecordCsv(big.table, dir.file("stopped.csv"), JobControl{nullptr, &stop});
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_FALSE(std::filesystem::exists(dir.file("stopped.csv")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("stopped.csv.part")));
}
