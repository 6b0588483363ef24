// The machine's files: whole reads, and writes that replace a file only when complete.
#include "ports/files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "support/temp_dir.h"

using namespace dorive;
using dorive::test::TempDir;

TEST(DiskFiles, WritesAndReadsEveryByte) {
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(char(i));
    bytes += "\r\n\n\r";
    DiskFiles files;
    files.write(dir.file("a.bin"), bytes);
    EXPECT_EQ(files.read(dir.file("a.bin")), bytes);
    EXPECT_TRUE(files.exists(dir.file("a.bin")));
    EXPECT_FALSE(files.exists(dir.file("missing")));
    EXPECT_EQ(dir.listing(), "a.bin\n");  // no temporary file left behind
}

TEST(DiskFiles, ReadErrorsNameTheFile) {
    TempDir dir;
    DiskFiles files;
    for (const std::string& path : {dir.file("missing.zep"), dir.path().string()}) {
        try {
            files.read(path);
            FAIL() << path;
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
}

// A write that fails half-way (here: the file-size limit, as a full disk would) leaves the
// earlier file as it was and no temporary file behind.
TEST(DiskFiles, AFailedWriteKeepsTheOldFile) {
    TempDir dir;
    DiskFiles files;
    const std::string path = dir.write("DORive.ini", "[Form]\r\nTop=5\r\n");

    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool failed = false;
    try {
        files.write(path, std::string(4096, 'x'));
    } catch (const FileError& e) {
        failed = true;
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(failed);
    EXPECT_EQ(dir.read("DORive.ini"), "[Form]\r\nTop=5\r\n");
    EXPECT_EQ(dir.listing(), "DORive.ini\n");
}

TEST(DiskFiles, AWriteIntoAMissingFolderFailsWithTheName) {
    TempDir dir;
    DiskFiles files;
    const std::string path = dir.file("no such folder/x.mon");
    try {
        files.write(path, "x");
        FAIL();
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
    }
}
