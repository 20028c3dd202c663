// Files written over: whole or not at all, and a failure names the system's reason.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

#include "acquisition/RecordExport.h"
#include "acquisition/RecordImport.h"
#include "base/FileWrite.h"
#include "calibration/CalibrationReport.h"
#include "config/ParameterFile.h"
#include "tests/support/FailingWrites.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TestBus.h"

namespace {

std::string bytesOf(const std::string& path) {
    const auto b = readFileBytes(path);
    return std::string(b.begin(), b.end());
}

std::size_t entriesIn(const std::string& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
    return n;
}

const std::string kOld(320, 'o');

}  // namespace

// A disk that fills at the first byte or half-way, and folders that take no file (root writes
// everywhere, so a path whose parent is a file or is missing stands for a read-only folder).
TEST(AtomicReplace, AFailureLeavesTheOldFileWholeNamesTheReasonAndLeavesNoTemporaryFile) {
    struct Case {
        const char* name;
        int injected;  // 0: none
        std::size_t allowed;
        const char* path;  // below the test's folder
        int reason;
    };
    const Case cases[] = {
        {"full at once", ENOSPC, 0, "p.txt", ENOSPC},
        {"full half-way", ENOSPC, 100, "p.txt", ENOSPC},
        {"I/O error", EIO, 10, "p.txt", EIO},
        {"parent is a file", 0, 0, "blocker/p.txt", ENOTDIR},
        {"missing folder", 0, 0, "gone/p.txt", ENOENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        writeFileBytes(dir.file("p.txt"), kOld);
        writeFileBytes(dir.file("blocker"), "x");
        FileWritten w;
        {
            std::optional<FailingWrites> fail;
            if (c.injected)
                fail.emplace(c.injected, c.allowed);
            w = replaceFileAtomically(dir.file(c.path), std::string(500, 'n'));
        }
        EXPECT_FALSE(w.ok);
        EXPECT_EQ(w.why, std::strerror(c.reason));
        EXPECT_EQ(bytesOf(dir.file("p.txt")), kOld);
        EXPECT_EQ(entriesIn(dir.path()), 2u);  // p.txt and blocker: no temporary file stays
    }
}

TEST(AtomicReplace, ReplacesTheFileKeepsItsModeAndWritesThroughALink) {
    TempDir dir;
    writeFileBytes(dir.file("p.txt"), kOld);
    ASSERT_EQ(::chmod(dir.file("p.txt").c_str(), 0600), 0);
    ASSERT_TRUE(replaceFileAtomically(dir.file("p.txt"), "new").ok);
    EXPECT_EQ(bytesOf(dir.file("p.txt")), "new");
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("p.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::filesystem::create_symlink("p.txt", dir.file("link.txt"));
    ASSERT_TRUE(replaceFileAtomically(dir.file("link.txt"), "through").ok);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt")));
    EXPECT_EQ(bytesOf(dir.file("p.txt")), "through");
    EXPECT_EQ(entriesIn(dir.path()), 2u);
}

TEST(AtomicReplace, ANewFileNeverTakesANameThatIsTaken) {
    TempDir dir;
    writeFileBytes(dir.file("r.csv"), kOld);
    writeFileBytes(dir.file("r-2.csv"), kOld);
    AtomicFile f(dir.file("r.csv"));
    ASSERT_TRUE(f.write("report"));
    const FileWritten w = f.commitAsNew(
        [](int i) { return i == 1 ? "r.csv" : "r-" + std::to_string(i) + ".csv"; }, 5);
    ASSERT_TRUE(w.ok) << w.why;
    EXPECT_EQ(w.path, dir.file("r-3.csv"));
    EXPECT_EQ(bytesOf(dir.file("r-3.csv")), "report");
    EXPECT_EQ(bytesOf(dir.file("r.csv")), kOld);
    {
        AtomicFile g(dir.file("r.csv"));
        g.write("x");
        const FileWritten none = g.commitAsNew([](int) { return "r.csv"; }, 3);
        EXPECT_FALSE(none.ok);
        EXPECT_EQ(none.why, std::strerror(EEXIST));
    }
    EXPECT_EQ(entriesIn(dir.path()), 3u);  // the unplaced file is gone
}

TEST(AtomicReplace, ProbeTellsWhetherAFileCanBeMadeAndLeavesNothing) {
    TempDir dir;
    writeFileBytes(dir.file("blocker"), "x");
    EXPECT_TRUE(probeWritable(dir.file("cal.csv")).ok);
    EXPECT_EQ(probeWritable(dir.file("blocker/cal.csv")).why, std::strerror(ENOTDIR));
    EXPECT_EQ(probeWritable(dir.file("no-such-folder/cal.csv")).why, std::strerror(ENOENT));
    EXPECT_EQ(probeWritable(dir.path()).why, std::strerror(EISDIR));
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

// Every file the program writes over goes through the one writer: a disk full half-way leaves
// the good file it would have replaced.
TEST(AtomicReplace, EveryWriterKeepsTheOldFileOnAFullDisk) {
    TempDir dir;
    writeFileBytes(dir.file("a.rec"), std::string(kRecordHeader) + "12-07 10:30\t1\t0\t0\t0\r\n");
    RecordTable table;
    ImportState state;
    RecordingMessages messages;
    ASSERT_EQ(importRecordFile(dir.file("a.rec"), table, state, messages), ImportOutcome::Loaded);
    config::BasicConfigModel model;
    const std::pair<const char*, std::function<std::string()>> writers[] = {
        {"parameter file",
         [&] {
             std::string why;
             return config::writeParameterFile(dir.file("old"), model, &why) ? "" : why;
         }},
        {"export", [&] { return exportRecordCsv(table, dir.file("old")).why; }},
    };
    for (const auto& [name, write] : writers) {
        SCOPED_TRACE(name);
        writeFileBytes(dir.file("old"), kOld);
        std::string why;
        {
            FailingWrites full(ENOSPC, 7);
            why = write();
        }
        EXPECT_NE(why.find(std::strerror(ENOSPC)), std::string::npos) << why;
        EXPECT_EQ(bytesOf(dir.file("old")), kOld);
        EXPECT_EQ(entriesIn(dir.path()), 2u);
        EXPECT_EQ(write(), "");
        EXPECT_NE(bytesOf(dir.file("old")), kOld);
    }
}

// The window's report takes a new name; a full disk leaves no half report under it.
TEST(AtomicReplace, CalibrationReportOnAFullDiskLeavesNoPartOfItself) {
    TempDir dir;
    calib::ReportSaved saved;
    {
        FailingWrites full(ENOSPC, 3);
        saved = calib::saveCalibrationReport(dir.path(), {}, "MPa", Clock::TimePoint{});
    }
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.reason, std::strerror(ENOSPC));
    EXPECT_EQ(entriesIn(dir.path()), 0u);
    saved = calib::saveCalibrationReport(dir.path(), {}, "MPa", Clock::TimePoint{});
    EXPECT_TRUE(saved.ok) << saved.reason;
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}
