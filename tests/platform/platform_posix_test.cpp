// The POSIX layer's own choices: temporary names, open modes, the temporary
// directory.
#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <set>
#include <string>

#include "platform/platform.h"
#include "tests/support/scratch_dir.h"

namespace {

class PlatformTest : public ScratchDir {};

TEST_F(PlatformTest, TempFileNamesAreNewEmptyAndUnique) {
    std::set<std::string> names;
    for (const std::string& directory : {dir_ + "\\", dir_, dir_}) {
        char path[SYS_PATH_SIZE];
        ASSERT_NE(SysGetTempFileName(directory.c_str(), "~kw", path), 0) << directory;
        std::string name = path, file = name.substr(dir_.size() + 1);
        EXPECT_EQ(name.substr(0, dir_.size()), dir_) << name;
        EXPECT_EQ(file.substr(0, 3), "~kw") << name;
        EXPECT_EQ(file.substr(file.size() - 4), ".tmp") << name;
        EXPECT_LE(file.size(), 3 + 4 + 4u) << name;
        EXPECT_EQ(std::filesystem::file_size(Native(file)), 0u) << name;
        EXPECT_TRUE(names.insert(file).second) << name;
    }
    char path[SYS_PATH_SIZE];
    EXPECT_EQ(SysGetTempFileName(Native("missing").c_str(), "~kw", path), 0);
}

// With one number left, that one is found; with none, the call fails.
TEST_F(PlatformTest, TempFileNameNeverTakesAnExistingName) {
    char name[32], path[SYS_PATH_SIZE];
    for (unsigned number = 1; number <= 0xFFFF; number++) {
        snprintf(name, sizeof name, "/~kw%x.tmp", number);
        if (number != 0xbeef) close(open((dir_ + name).c_str(), O_WRONLY | O_CREAT, 0644));
    }
    ASSERT_NE(SysGetTempFileName(dir_.c_str(), "~kw", path), 0);
    EXPECT_EQ(std::string(path), dir_ + "/~kwbeef.tmp");
    EXPECT_EQ(SysGetTempFileName(dir_.c_str(), "~kw", path), 0);
}

TEST(Platform, TempPathEndsWithSeparator) {
    const char* saved = getenv("TMPDIR");
    std::string restore = saved ? saved : "";
    struct {
        const char *tmpdir, *expected;
    } cases[] = {{"/var/x", "/var/x/"}, {"/var/x/", "/var/x/"}, {"", "/tmp/"}, {nullptr, "/tmp/"}};
    for (const auto& c : cases) {
        c.tmpdir ? setenv("TMPDIR", c.tmpdir, 1) : unsetenv("TMPDIR");
        char buffer[SYS_PATH_SIZE];
        EXPECT_EQ(SysGetTempPath(buffer, sizeof buffer), strlen(c.expected)) << c.expected;
        EXPECT_STREQ(buffer, c.expected);
        EXPECT_EQ(SysGetTempPath(buffer, strlen(c.expected)), 0u) << c.expected;
    }
    saved ? setenv("TMPDIR", restore.c_str(), 1) : unsetenv("TMPDIR");
}

TEST_F(PlatformTest, OpenModes) {
    std::string path = Windows("file.bin");
    WriteFile(Native("file.bin"), "longer content");
    std::filesystem::create_directory(Native("dir"));

    SysFile file = SysOpenFile(path.c_str(), SYS_OPEN_CREATE);
    EXPECT_EQ(SysWrite(file, "abc", 3), 3u);
    SysClose(file);
    EXPECT_EQ(ReadFile(Native("file.bin")), "abc");  // truncated

    file = SysOpenFile(path.c_str(), SYS_OPEN_UPDATE);
    EXPECT_EQ(SysSeek(file, 0, SYS_SEEK_END), 3);
    EXPECT_EQ(SysWrite(file, "de", 2), 2u);
    EXPECT_EQ(SysSeek(file, 1, SYS_SEEK_START), 1);
    char buffer[8] = {};
    EXPECT_EQ(SysRead(file, buffer, sizeof buffer), 4u);  // short at the end
    EXPECT_STREQ(buffer, "bcde");
    SysClose(file);

    file = SysOpenFile(path.c_str(), SYS_OPEN_READ);
    SysFile second = SysOpenFile(path.c_str(), SYS_OPEN_READ);
    EXPECT_NE(second, SYS_NO_FILE);
    EXPECT_EQ(SysTakeWriteError(), 0u);  // the writes above went through
    EXPECT_EQ(SysWrite(file, "x", 1), 0u);
    EXPECT_EQ(SysTakeWriteError(), (uint32_t)EBADF);
    EXPECT_EQ(SysTakeWriteError(), 0u);  // taken once
    SysClose(file);
    SysClose(second);

    for (int mode : {SYS_OPEN_READ, SYS_OPEN_UPDATE}) EXPECT_EQ(SysOpenFile(Windows("missing").c_str(), mode), SYS_NO_FILE);
    for (int mode : {SYS_OPEN_READ, SYS_OPEN_CREATE, SYS_OPEN_UPDATE}) EXPECT_EQ(SysOpenFile(Windows("dir").c_str(), mode), SYS_NO_FILE);
    EXPECT_EQ(SysOpenExclusive(Windows("dir").c_str()), SYS_NO_FILE);
    EXPECT_EQ(SysOpenFile(("\\" + std::string(SYS_PATH_SIZE, 'a')).c_str(), SYS_OPEN_CREATE), SYS_NO_FILE);
}

TEST_F(PlatformTest, ExclusiveReadAtEndOfFileIsNoFailure) {
    WriteFile(Native("block.bin"), "12345");
    SysFile file = SysOpenExclusive(Windows("block.bin").c_str());
    char buffer[8];
    uint32_t moved = 0;
    EXPECT_NE(SysReadFile(file, buffer, sizeof buffer, &moved), 0);
    EXPECT_EQ(moved, 5u);
    EXPECT_NE(SysReadFile(file, buffer, sizeof buffer, &moved), 0);
    EXPECT_EQ(moved, 0u);
    SysClose(file);
}

}  // namespace
