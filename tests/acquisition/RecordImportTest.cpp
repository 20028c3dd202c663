// Importing record files: records, the 15-byte rule and every file that is not quite a record.
#include <gtest/gtest.h>

#include <string>

#include "acquisition/RecordFile.h"
#include "acquisition/RecordImport.h"
#include "tests/support/TestBus.h"

namespace {

const std::string kHeader(kRecordHeader);

struct Imported {
    RecordingMessages messages;
    RecordTable table;
    ImportState state;
    ImportOutcome outcome{};
};

void importBytes(Imported& i, const std::string& bytes) {
    i.outcome = importRecordBytes(bytes, i.table, i.state, i.messages);
}

}  // namespace

TEST(RecordImport, ThreeSamplesGiveFiveFieldsFourRecordsThreePoints) {
    TempDir dir;
    const std::string file = kHeader + "12-07 10:30\t123.4\t0\t0\t0\r\n" +
                             "12-07 10:40\t124.0\t0\t0\t0\r\n" + "12-07 10:50\t7\t0\t0\t0\r\n";
    EXPECT_EQ(file.size(), 15u + 3 * 20 + 5 + 5 + 1);
    writeFileBytes(dir.file("a.rec"), file);
    Imported i;
    i.outcome = importRecordFile(dir.file("a.rec"), i.table, i.state, i.messages);
    ASSERT_EQ(i.outcome, ImportOutcome::Loaded);
    EXPECT_TRUE(i.messages.texts().empty());
    ASSERT_EQ(i.table.fieldCount(), 5u);
    EXPECT_EQ(i.table.fieldName(0), "Time");
    EXPECT_EQ(i.table.fieldName(4), "4");
    EXPECT_EQ(i.table.recordCount(), 4u);  // the last one is the empty end-of-file record
    EXPECT_EQ(i.table.value(0, 0), "12-07 10:30");
    EXPECT_EQ(i.table.value(0, 1), "123.4");
    EXPECT_EQ(i.table.value(0, 2), "0");
    EXPECT_EQ(i.table.value(3, 0), "");
    EXPECT_EQ(i.state.RowCount, 4);
    EXPECT_EQ(i.state.ColumnCount, 5);
    ASSERT_EQ(i.state.TimeLabels.size(), 3u);
    EXPECT_EQ(i.state.TimeLabels[2], "12-07 10:50");
    EXPECT_FLOAT_EQ(i.state.ImportedValues[0][0], 12.0f);
    EXPECT_FLOAT_EQ(i.state.ImportedValues[0][1], 123.4f);
    EXPECT_FLOAT_EQ(i.state.ImportedValues[2][1], 7.0f);
}

TEST(RecordImport, HeaderOnlyFileOfFifteenBytesIsRefused) {
    Imported i;
    i.state.TimeLabels = {"stale"};
    importBytes(i, kHeader);
    EXPECT_EQ(i.outcome, ImportOutcome::NotCollected);
    EXPECT_EQ(
        i.messages.texts(),
        std::vector<std::string>{"This file is not collected data, please select another file!"});
    EXPECT_TRUE(i.state.TimeLabels.empty());
}

TEST(RecordImport, ThirteenByteHeaderIsNotRefusedButHasNoRecords) {
    Imported i;
    importBytes(i, kHeader.substr(0, 13));
    EXPECT_EQ(i.outcome, ImportOutcome::NoRecords);
    EXPECT_EQ(i.table.fieldCount(), 5u);  // the columns are there
    EXPECT_EQ(i.table.recordCount(), 0u);
    EXPECT_TRUE(i.state.TimeLabels.empty());
    EXPECT_TRUE(i.state.ImportedValues.empty());
    EXPECT_EQ(i.messages.texts(), std::vector<std::string>{"This file holds no records."});
}

TEST(RecordImport, EmptyFileNeitherFailsNorLoads) {
    Imported i;
    importBytes(i, "");
    EXPECT_EQ(i.outcome, ImportOutcome::NoRecords);
    ASSERT_FALSE(i.messages.texts().empty());
    EXPECT_EQ(i.messages.texts()[0].rfind("错误信息  ", 0), 0u);
    EXPECT_TRUE(i.state.ImportedValues.empty());
}

TEST(RecordImport, MissingFileIsReportedAndLoadsNothing) {
    TempDir dir;
    Imported i;
    i.outcome = importRecordFile(dir.file("nope.rec"), i.table, i.state, i.messages);
    EXPECT_EQ(i.outcome, ImportOutcome::CannotRead);
    EXPECT_EQ(i.messages.texts(), std::vector<std::string>{"File Open Failed!"});
    // A directory is no file either (reading it must not hang or fail).
    Imported j;
    j.outcome = importRecordFile(dir.path(), j.table, j.state, j.messages);
    EXPECT_EQ(j.outcome, ImportOutcome::CannotRead);
}

TEST(RecordImport, EmptyValueTextShiftsZerosLeftAndReadsAsZero) {
    Imported i;
    importBytes(i, kHeader + "01-02 03:04\t\t0\t0\t0\r\n");
    ASSERT_EQ(i.outcome, ImportOutcome::Loaded);
    EXPECT_EQ(i.table.value(0, 1), "0");
    EXPECT_EQ(i.table.value(0, 3), "0");
    EXPECT_EQ(i.table.value(0, 4), "");
    EXPECT_FLOAT_EQ(i.state.ImportedValues[0][1], 0.0f);
    EXPECT_FLOAT_EQ(i.state.ImportedValues[0][4], 0.0f);
}

TEST(RecordImport, SecondHeaderInOneFileIsADataRow) {
    Imported i;
    importBytes(i,
                kHeader + "01-02 03:04\t5\t0\t0\t0\r\n" + kHeader + "01-02 03:05\t6\t0\t0\t0\r\n");
    ASSERT_EQ(i.outcome, ImportOutcome::Loaded);
    EXPECT_EQ(i.table.recordCount(), 4u);
    EXPECT_EQ(i.table.value(1, 0), "Time");
    ASSERT_EQ(i.state.TimeLabels.size(), 3u);
    EXPECT_EQ(i.state.TimeLabels[1], "Time");
}

TEST(RecordImport, LastLineWithoutLineEndStillReachesTheCurve) {
    Imported i;
    importBytes(i, kHeader + "01-02 03:04\t5\t0\t0\t0\r\n01-02 03:05\t6\t0\t0\t0");
    ASSERT_EQ(i.outcome, ImportOutcome::Loaded);
    EXPECT_EQ(i.table.recordCount(), 2u);  // no empty end-of-file record
    ASSERT_EQ(i.state.TimeLabels.size(), 2u);
    EXPECT_FLOAT_EQ(i.state.ImportedValues[1][1], 6.0f);
}

TEST(RecordImport, LineWithMoreFieldsThanHeaderIsReportedOnceAndSkipped) {
    Imported i;
    importBytes(i, kHeader + "01-02 03:04\t5\t0\t0\t0\t9\r\n01-02 03:05\t6\t0\t0\t0\t9\r\n" +
                       "01-02 03:06\t7\t0\t0\t0\r\n");
    ASSERT_EQ(i.outcome, ImportOutcome::Loaded);
    ASSERT_EQ(i.messages.texts().size(), 1u);
    EXPECT_EQ(i.messages.texts()[0].rfind("错误信息  ", 0), 0u);
    EXPECT_EQ(i.table.recordCount(), 2u);
    EXPECT_EQ(i.table.value(0, 1), "7");
}

TEST(RecordImport, BlankLineInTheMiddleIsAnEmptyRecordReadAsZero) {
    Imported i;
    importBytes(i, kHeader + "01-02 03:04\t5\t0\t0\t0\r\n\r\n01-02 03:06\t7\t0\t0\t0\r\n");
    ASSERT_EQ(i.outcome, ImportOutcome::Loaded);
    EXPECT_EQ(i.table.recordCount(), 4u);
    ASSERT_EQ(i.state.TimeLabels.size(), 3u);
    EXPECT_EQ(i.state.TimeLabels[1], "");
    EXPECT_FLOAT_EQ(i.state.ImportedValues[1][1], 0.0f);
}

TEST(RecordImport, BareLineFeedsAreLineEndsToo) {
    Imported i;
    importBytes(i, "\tTime\t1\n01-02 03:04\t5\n");
    ASSERT_EQ(i.outcome, ImportOutcome::Loaded);
    EXPECT_EQ(i.table.fieldName(1), "1");
    EXPECT_EQ(i.table.value(0, 1), "5");
}

TEST(RecordImport, ANewImportReplacesFieldsAndRecords) {
    Imported i;
    importBytes(i, kHeader + "01-02 03:04\t5\t0\t0\t0\r\n");
    importBytes(i, "\tA\tB\r\nx\ty\r\nz\tw\r\n");
    ASSERT_EQ(i.outcome, ImportOutcome::Loaded);
    EXPECT_EQ(i.table.fieldCount(), 2u);
    EXPECT_EQ(i.table.fieldName(0), "A");
    EXPECT_EQ(i.table.recordCount(), 3u);
    EXPECT_EQ(i.state.TimeLabels, (std::vector<std::string>{"x", "z"}));
}

TEST(RecordImport, LargeFileKeepsEveryRecord) {
    std::string file = kHeader;
    constexpr int kRows = 200000;
    file.reserve(kHeader.size() + kRows * 26);
    char line[64];
    for (int r = 0; r < kRows; ++r) {
        std::snprintf(line, sizeof line, "%02d-%02d %02d:%02d\t%d.%d\t0\t0\t0\r\n", 1 + r / 44640,
                      1 + (r / 1440) % 28, (r / 60) % 24, r % 60, r % 1000, r % 10);
        file += line;
    }
    Imported i;
    importBytes(i, file);
    ASSERT_EQ(i.outcome, ImportOutcome::Loaded);
    EXPECT_EQ(i.table.recordCount(), kRows + 1u);
    ASSERT_EQ(i.state.TimeLabels.size(), static_cast<std::size_t>(kRows));
    EXPECT_FLOAT_EQ(i.state.ImportedValues[kRows - 1][1], 999.9f);
    EXPECT_EQ(i.table.value(kRows - 1, 0), i.state.TimeLabels.back());
}
