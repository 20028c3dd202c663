// Importing record files: records, the 15-byte rule, every file that is not quite a record, and
// the hostile ones that froze or crashed the window.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>

#include "acquisition/RecordFile.h"
#include "acquisition/RecordImport.h"
#include "tests/support/RecordingMessages.h"
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

std::string sampleLines(int rows) {
    std::string out;
    char line[64];
    for (int r = 0; r < rows; ++r) {
        std::snprintf(line, sizeof line, "%02d-%02d %02d:%02d\t%d.%d\t0\t0\t0\r\n", 1 + r / 44640,
                      1 + (r / 1440) % 28, (r / 60) % 24, r % 60, r % 1000, r % 10);
        out += line;
    }
    return out;
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
    EXPECT_EQ(i.table.dataRecordCount(), 3u);
    EXPECT_EQ(i.table.value(0, 0), "12-07 10:30");
    EXPECT_EQ(i.table.value(0, 1), "123.4");
    EXPECT_EQ(i.table.value(0, 2), "0");
    EXPECT_EQ(i.table.value(3, 0), "");
    EXPECT_EQ(i.table.source.fileName, "a.rec");
    EXPECT_TRUE(i.table.source.modified.has_value());
    EXPECT_EQ(i.state.RowCount, 4);
    EXPECT_EQ(i.state.ColumnCount, 5);
    EXPECT_EQ(i.state.DataRows, 3u);
    EXPECT_FLOAT_EQ(i.state.First, 123.4f);
    EXPECT_EQ(i.state.Values, (std::vector<float>{123.4f, 124.0f, 7.0f}));
    EXPECT_EQ(i.state.Minutes, (std::vector<std::int32_t>{0, 10, 20}));
}

TEST(RecordImport, HeaderOnlyFileOfFifteenBytesIsRefused) {
    Imported i;
    i.state.DataRows = 9;
    importBytes(i, kHeader);
    EXPECT_EQ(i.outcome, ImportOutcome::NotCollected);
    EXPECT_EQ(i.messages.texts(), std::vector<std::string>{std::string(kNotCollectedMessage)});
    EXPECT_FALSE(i.state.loaded());
}

TEST(RecordImport, ThirteenByteHeaderIsNotRefusedButHasNoRecords) {
    Imported i;
    importBytes(i, kHeader.substr(0, 13));
    EXPECT_EQ(i.outcome, ImportOutcome::NoRecords);
    EXPECT_EQ(i.table.fieldCount(), 5u);  // the columns are there
    EXPECT_EQ(i.table.recordCount(), 0u);
    EXPECT_FALSE(i.state.loaded());
    EXPECT_EQ(i.messages.texts(), std::vector<std::string>{"This file holds no records."});
}

TEST(RecordImport, EmptyFileNeitherFailsNorLoads) {
    Imported i;
    importBytes(i, "");
    EXPECT_EQ(i.outcome, ImportOutcome::NoRecords);
    ASSERT_FALSE(i.messages.texts().empty());
    EXPECT_EQ(i.messages.texts()[0].rfind("错误信息  ", 0), 0u);
    EXPECT_FALSE(i.state.loaded());
}

TEST(RecordImport, EmptyValueTextShiftsZerosLeftAndReadsAsZero) {
    Imported i;
    importBytes(i, kHeader + "01-02 03:04\t\t0\t0\t0\r\n");
    ASSERT_EQ(i.outcome, ImportOutcome::Loaded);
    EXPECT_EQ(i.table.value(0, 1), "0");
    EXPECT_EQ(i.table.value(0, 3), "0");
    EXPECT_EQ(i.table.value(0, 4), "");
    EXPECT_EQ(i.state.Values, std::vector<float>{0.0f});
}

TEST(RecordImport, SecondHeaderInOneFileIsADataRowWithoutAPoint) {
    Imported i;
    importBytes(i,
                kHeader + "01-02 03:04\t5\t0\t0\t0\r\n" + kHeader + "01-02 03:05\t6\t0\t0\t0\r\n");
    ASSERT_EQ(i.outcome, ImportOutcome::Loaded);
    EXPECT_EQ(i.table.recordCount(), 4u);
    EXPECT_EQ(i.table.value(1, 0), "Time");
    EXPECT_EQ(i.state.DataRows, 3u);
    EXPECT_EQ(i.state.Values, (std::vector<float>{5.0f, 6.0f}));
    EXPECT_EQ(i.state.Minutes, (std::vector<std::int32_t>{0, 1}));
}

TEST(RecordImport, LastLineWithoutLineEndStillReachesTheCurve) {
    Imported i;
    importBytes(i, kHeader + "01-02 03:04\t5\t0\t0\t0\r\n01-02 03:05\t6\t0\t0\t0");
    ASSERT_EQ(i.outcome, ImportOutcome::Loaded);
    EXPECT_EQ(i.table.recordCount(), 2u);  // no empty end-of-file record
    EXPECT_EQ(i.table.dataRecordCount(), 2u);
    EXPECT_EQ(i.state.Values, (std::vector<float>{5.0f, 6.0f}));
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
    EXPECT_EQ(i.state.Values, std::vector<float>{7.0f});
}

TEST(RecordImport, BlankLineInTheMiddleIsAnEmptyRecordWithoutAPoint) {
    Imported i;
    importBytes(i, kHeader + "01-02 03:04\t5\t0\t0\t0\r\n\r\n01-02 03:06\t7\t0\t0\t0\r\n");
    ASSERT_EQ(i.outcome, ImportOutcome::Loaded);
    EXPECT_EQ(i.table.recordCount(), 4u);
    EXPECT_EQ(i.table.value(1, 0), "");
    EXPECT_EQ(i.state.DataRows, 3u);
    EXPECT_EQ(i.state.Minutes, (std::vector<std::int32_t>{0, 2}));
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
    EXPECT_EQ(i.state.DataRows, 2u);
    EXPECT_TRUE(i.state.Values.empty());  // "x" and "z" are no times
}

TEST(RecordImport, LargeFileKeepsEveryRecord) {
    constexpr int kRows = 200000;
    Imported i;
    importBytes(i, kHeader + sampleLines(kRows));
    ASSERT_EQ(i.outcome, ImportOutcome::Loaded);
    EXPECT_EQ(i.table.recordCount(), kRows + 1u);
    ASSERT_EQ(i.state.Values.size(), static_cast<std::size_t>(kRows));
    EXPECT_FLOAT_EQ(i.state.Values.back(), 999.9f);
    EXPECT_EQ(i.table.value(kRows - 1, 0), "05-27 21:19");
    EXPECT_EQ(i.table.value(kRows - 1, 1), "999.9");
}

// Lines far apart (here 40 kB each) are found again exactly: their starts do not fit the
// table's short distances.
TEST(RecordTableStorage, RecordsFarApartAreFoundExactly) {
    std::string file = "\tA\tB\r\n";
    for (int r = 0; r < 300; ++r)
        file +=
            std::to_string(r) + "\t" + std::string(40000, static_cast<char>('a' + r % 26)) + "\r\n";
    Imported i;
    importBytes(i, file);
    ASSERT_EQ(i.table.recordCount(), 301u);
    for (std::size_t r = 0; r < 300; ++r) {
        ASSERT_EQ(i.table.value(r, 0), std::to_string(r)) << r;
        ASSERT_EQ(i.table.value(r, 1).size(), 40000u) << r;
        ASSERT_EQ(i.table.value(r, 1)[0], static_cast<char>('a' + r % 26)) << r;
    }
    std::vector<std::string_view> pieces;
    i.table.pieces(299, pieces);
    EXPECT_EQ(pieces.size(), 2u);
}

TEST(RecordImport, StopRequestCancelsWithoutMessageOrData) {
    TempDir dir;
    writeFileBytes(dir.file("a.rec"), kHeader + sampleLines(100000));
    std::atomic<int> stop{1};
    Progress progress;
    Imported i;
    i.outcome = importRecordFile(dir.file("a.rec"), i.table, i.state, i.messages,
                                 JobControl{&progress, &stop});
    EXPECT_EQ(i.outcome, ImportOutcome::Cancelled);
    EXPECT_TRUE(i.messages.texts().empty());
    EXPECT_EQ(i.table.recordCount(), 0u);
    EXPECT_FALSE(i.state.loaded());
    // Among the records too: they go again.
    Imported j;
    j.outcome = importRecordBytes(kHeader + sampleLines(100000), j.table, j.state, j.messages,
                                  JobControl{&progress, &stop});
    EXPECT_EQ(j.outcome, ImportOutcome::Cancelled);
    EXPECT_EQ(j.table.recordCount(), 0u);
}

TEST(RecordImport, LongImportReportsHowFarItIs) {
    std::atomic<int> stop{0};
    Progress progress;
    Imported i;
    i.outcome = importRecordBytes(kHeader + sampleLines(200000), i.table, i.state, i.messages,
                                  JobControl{&progress, &stop});
    EXPECT_EQ(i.outcome, ImportOutcome::Loaded);
    const ProgressSnapshot p = progress.snapshot();
    EXPECT_EQ(p.text().rfind("Reading the records: ", 0), 0u) << p.text();
    EXPECT_NE(p.text().find(" of 4.7 MB"), std::string::npos) << p.text();
    EXPECT_GT(p.done, 0);
    EXPECT_LE(p.done, p.total);
}

// Every shape of file that froze, crashed or blocked the window, and the special files. Each
// must come back quickly with a bounded table or a message; memory is measured in
// bench/record_import.
TEST(RecordImportHostile, EveryShapeIsBoundedOrRefusedWithAMessage) {
    TempDir dir;
    const std::string noRecords(kNoRecordsMessage), notCollected(kNotCollectedMessage),
        openFailed(kFileOpenFailedMessage);
    struct Case {
        const char* name;
        std::function<std::string()> make;  // the path to import
        ImportOutcome outcome;
        std::string message;  // the one message expected ("" none)
        std::string detail;   // expected in the message's detail
        std::size_t fields;
        std::size_t records;
    };
    const auto file = [&](const char* name, const std::string& bytes) {
        writeFileBytes(dir.file(name), bytes);
        return dir.file(name);
    };
    const auto sparse = [&](const char* name, off_t size) {
        writeFileBytes(dir.file(name), "");
        EXPECT_EQ(::truncate(dir.file(name).c_str(), size), 0);
        return dir.file(name);
    };
    std::string wideHeader;
    for (int k = 0; k < 20000; ++k) wideHeader += "\tfield" + std::to_string(k);
    std::string shortLines;
    for (int k = 0; k < 1000000; ++k) shortLines += "1\n";
    const Case cases[] = {
        {"10 MB without line ends, with tabs",
         [&] {
             std::string s;
             while (s.size() < (10u << 20)) s += "abcdefghij\t";
             return file("tabs.rec", s);
         },
         ImportOutcome::NoRecords, noRecords, "", kMaxRecordFields, 0},
        {"10 MB without line ends or tabs",
         [&] { return file("flat.rec", std::string(10u << 20, 'x')); }, ImportOutcome::NoRecords,
         noRecords, "", 1, 0},
        {"1 GB sparse file", [&] { return sparse("sparse.rec", off_t{1} << 30); },
         ImportOutcome::CannotRead, openFailed, "larger than", 0, 0},
        {"a small file of zeros", [&] { return sparse("zeros.rec", 65536); },
         ImportOutcome::NotCollected, notCollected, "", 0, 0},
        {"a binary file",
         [&] {
             return file("prog.rec", std::string("\x7f"
                                                 "ELF\2\1\1\0\0\0",
                                                 10));
         },
         ImportOutcome::NotCollected, notCollected, "", 0, 0},
        {"20,000-field header and 10,000 empty lines",
         [&] {
             std::string s = wideHeader + "\r\n";
             for (int k = 0; k < 10000; ++k) s += "\r\n";
             return file("wide.rec", s);
         },
         ImportOutcome::Loaded, "", "", kMaxRecordFields, 10001},
        {"2 MB of short lines", [&] { return file("short.rec", shortLines); },
         ImportOutcome::Loaded, "", "", 1, 1000000},
        {"a FIFO",
         [&] {
             EXPECT_EQ(::mkfifo(dir.file("fifo.rec").c_str(), 0600), 0);
             return dir.file("fifo.rec");
         },
         ImportOutcome::CannotRead, openFailed, "not a regular file", 0, 0},
        {"a directory", [&] { return dir.path(); }, ImportOutcome::CannotRead, openFailed,
         "a directory", 0, 0},
        {"a device", [] { return std::string("/dev/zero"); }, ImportOutcome::CannotRead, openFailed,
         "not a regular file", 0, 0},
        {"a missing file", [&] { return dir.file("missing.rec"); }, ImportOutcome::CannotRead,
         openFailed, std::strerror(ENOENT), 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.make();
        Imported i;
        i.outcome = importRecordFile(path, i.table, i.state, i.messages);
        EXPECT_EQ(i.outcome, c.outcome);
        const auto e = i.messages.entries();
        if (c.message.empty()) {
            EXPECT_TRUE(e.empty());
        } else {
            ASSERT_EQ(e.size(), 1u);
            EXPECT_EQ(e[0].text, c.message);
            EXPECT_NE(e[0].detail.find(c.detail), std::string::npos) << e[0].detail;
        }
        EXPECT_EQ(i.table.fieldCount(), c.fields);
        EXPECT_EQ(i.table.recordCount(), c.records);
        for (std::size_t k = 0; k < i.table.fieldCount(); ++k)
            EXPECT_LE(i.table.fieldName(k).size(), kMaxFieldNameBytes + kElision.size());
        // Nothing but samples with a time reaches the curve.
        EXPECT_TRUE(i.state.Values.empty());
    }
}

TEST(RecordImportHostile, FileThatReportsSizeZeroIsReadToItsEnd) {
    // /proc files say 0 bytes and hold more.
    struct stat st {};
    ASSERT_EQ(::stat("/proc/self/status", &st), 0);
    ASSERT_EQ(st.st_size, 0);
    Imported i;
    i.outcome = importRecordFile("/proc/self/status", i.table, i.state, i.messages);
    EXPECT_EQ(i.outcome, ImportOutcome::Loaded);
    EXPECT_EQ(i.table.fieldName(0), "Name:");
    EXPECT_GT(i.table.recordCount(), 10u);
}
