#include "base/FileRead.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "tests/support/TestBus.h"

namespace fs = std::filesystem;

TEST(FileRead, RefusesWhatIsNoRegularFileWithoutBlocking) {
    TempDir dir;
    const fs::path fifo = dir.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        fs::path path;
        std::string why;
    };
    const Case cases[] = {
        {fifo, "not a regular file"},  // blocked for ever when opened for reading
        {dir.path(), "a directory, not a file"},
        {"/dev/zero", "not a regular file"},           // would be read without end
        {dir.file("missing"), std::strerror(ENOENT)},  // in the desktop's language
    };
    for (const Case& c : cases) {
        const FileRead r = readRegularFile(c.path, 64 * 1024);
        EXPECT_FALSE(r.ok) << c.path;
        EXPECT_EQ(r.why, c.why) << c.path;
    }
}

TEST(FileRead, ReadsToTheEndNotToTheReportedSizeAndKeepsItsLimit) {
    // /proc files report size 0 but have content.
    const FileRead proc = readRegularFile("/proc/self/status", 1 << 20);
    ASSERT_TRUE(proc.ok) << proc.why;
    EXPECT_NE(proc.bytes.find("Name:"), std::string::npos);

    TempDir dir;
    const fs::path f = dir.file("f.txt");
    std::ofstream(f, std::ios::binary) << std::string(3000, 'x');
    EXPECT_EQ(readRegularFile(f, 3000).bytes.size(), 3000u);
    const FileRead big = readRegularFile(f, 2999);
    EXPECT_FALSE(big.ok);
    EXPECT_EQ(big.why, "larger than 2999 bytes");
    const FileRead bigProc = readRegularFile("/proc/self/status", 10);  // size 0 reported
    EXPECT_FALSE(bigProc.ok);
    EXPECT_EQ(bigProc.why, "larger than 10 bytes");
    const FileRead cancelled = readRegularFile(f, 3000, [](std::size_t) { return false; });
    EXPECT_FALSE(cancelled.ok);
    EXPECT_EQ(cancelled.why, "cancelled");
}
