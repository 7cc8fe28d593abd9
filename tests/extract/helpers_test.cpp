#include "extract/helpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/platform.h"
#include "tests/support/code_page.h"
#include "tests/support/native_window/test_window.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

TEST(SplitPath, Table) {
    struct {
        const char *path, *drive, *directory, *base, *extension;
    } cases[] = {
        {"C:\\dir\\file.txt", "C:", "\\dir\\", "file", ".txt"},
        {"C:\\dir\\x.ini.xxx", "C:", "\\dir\\", "x.ini", ".xxx"},
        {"C:\\a.b\\c.d\\name", "C:", "\\a.b\\c.d\\", "name", ""},
        {"/tmp\\mixed/name.e", "", "/tmp\\mixed/", "name", ".e"},
        {"name.ext", "", "", "name", ".ext"},
        {"C:", "C:", "", "", ""},
        {"C:name", "C:", "", "name", ""},
        {"C:\\dir\\", "C:", "\\dir\\", "", ""},
        {".profile", "", "", "", ".profile"},
        {"dir\\trailing.", "", "dir\\", "trailing", "."},
        {":a", "", "", ":a", ""},
        {"", "", "", "", ""},
    };
    for (const auto& c : cases) {
        char drive[PART_DRIVE_SIZE], directory[PART_SIZE], base[PART_SIZE], extension[PART_SIZE];
        SplitPath(c.path, drive, directory, base, extension);
        EXPECT_STREQ(drive, c.drive) << c.path;
        EXPECT_STREQ(directory, c.directory) << c.path;
        EXPECT_STREQ(base, c.base) << c.path;
        EXPECT_STREQ(extension, c.extension) << c.path;
    }
}

// In code page 932, 0x95 0x5C is one character (U+8868) whose trail byte is
// the code of '\'. 0x81 0x2E is no valid character, but a lead byte takes
// the byte after it along all the same.
TEST(SplitPath, DoubleByteCharacters) {
    struct {
        unsigned code_page;
        const char *path, *directory, *base, *extension;
    } cases[] = {
        {932, "C:\\dir\\\x95\x5C", "\\dir\\", "\x95\x5C", ""},
        {932, "C:\\dir\\\x95\x5C.txt", "\\dir\\", "\x95\x5C", ".txt"},
        {932, "\\\x95\x5C\\name.e", "\\\x95\x5C\\", "name", ".e"},
        {932, "a\x95\x5C\x95\x5C\\b", "a\x95\x5C\x95\x5C\\", "b", ""},
        {932, "x\x81.y", "", "x\x81.y", ""},
        {932, "dir\\x\x95", "dir\\", "x\x95", ""},
        {936, "d\\\xB1\x5C", "d\\", "\xB1\x5C", ""},
        {1250, "C:\\dir\\\x95\x5C", "\\dir\\\x95\x5C", "", ""},
        {1250, "x\x81.y", "", "x\x81", ".y"},
    };
    for (const auto& c : cases) {
        char directory[PART_SIZE], base[PART_SIZE], extension[PART_SIZE];
        CodePage code_page(c.code_page);
        SplitPath(c.path, NULL, directory, base, extension);
        EXPECT_STREQ(directory, c.directory) << c.code_page << " " << c.path;
        EXPECT_STREQ(base, c.base) << c.code_page << " " << c.path;
        EXPECT_STREQ(extension, c.extension) << c.code_page << " " << c.path;
    }
}

TEST(SplitPath, CutsEachPartTo255Characters) {
    std::string directory = "\\" + std::string(298, 'd') + "\\", base(300, 'b'), extension = "." + std::string(299, 'e');
    char drive[PART_DRIVE_SIZE], d[PART_SIZE], b[PART_SIZE], e[PART_SIZE];
    SplitPath(("C:" + directory + base + extension).c_str(), drive, d, b, e);
    EXPECT_EQ(d, directory.substr(0, 255));
    EXPECT_EQ(b, base.substr(0, 255));
    EXPECT_EQ(e, extension.substr(0, 255));
}

TEST(EqualNoCase, FoldsAsciiLettersOnly) {
    struct {
        const char *a, *b;
        int equal;
    } cases[] = {
        {"abc", "ABC", 1}, {".xxx", ".XxX", 1}, {"", "", 1},  {"abc", "abd", 0}, {"abc", "ab", 0},
        {"ab", "abc", 0},  {"[", "{", 0},       {"@", "`", 0},  // 0x20 apart, but not letters
        {"\xC8", "\xE8", 0},                                    // a case pair of code page 1250
    };
    for (const auto& c : cases) EXPECT_EQ(EqualNoCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
}

class HelpersTest : public ScratchDir {};

TEST_F(HelpersTest, EnsureDirectory) {
    // Each case has its own root holding the directory "have" and the file "plain".
    struct {
        const char* path;
        int result;
        const char* current;  // relative to the root ("" the root itself); null: unchanged
        const char* created;
    } cases[] = {
        {"have\\file.txt", 1, "have", nullptr}, {"have\\", 1, "have", nullptr},
        {"file.txt", 1, "", nullptr},           {"new\\file.txt", 1, nullptr, "new"},
        {"self\\", 1, nullptr, "self"},         {"have\\new\\file.txt", 1, nullptr, "have/new"},
        {"a\\b\\file.txt", 0, nullptr, nullptr}, {"plain\\file.txt", 0, nullptr, nullptr},
    };
    int index = 0;
    for (const auto& c : cases) {
        std::string root = "case" + std::to_string(index++);
        fs::create_directories(Native(root + "/have"));
        WriteFile(Native(root + "/plain"), "x");
        fs::current_path(saved_cwd_);
        EXPECT_EQ(EnsureDirectory(Windows(root + "\\" + c.path).c_str()), c.result) << c.path;
        fs::path expected = !c.current ? saved_cwd_ : fs::path(Native(root) + (*c.current ? "/" : "") + c.current);
        EXPECT_EQ(Current(), expected) << c.path;
        EXPECT_TRUE(!c.created || fs::is_directory(Native(root + "/" + c.created))) << c.path;
        EXPECT_FALSE(Exists(Native(root + "/a"))) << c.path;
    }
    // A bare name lies in the current directory, which must not move to the root.
    fs::current_path(dir_);
    EXPECT_TRUE(EnsureDirectory("setup.exe"));
    EXPECT_EQ(Current(), fs::path(dir_));
}

// The root itself ("\\", "/") is not tried: a fault would wipe the machine,
// and it takes the same way as "".
TEST_F(HelpersTest, RemoveDirectoryTreeLeavesShortPathsAlone) {
    fs::current_path(dir_);
    for (const char* name : {"abc", "ab", "C:", "abcd"}) fs::create_directory(Native(name));
    for (const char* path : {"", "abc", "abc\\", "ab\\", "C:\\", "C:"}) RemoveDirectoryTree(path);
    EXPECT_TRUE(Exists(Native("abc")) && Exists(Native("ab")) && Exists(Native("C:")));
    RemoveDirectoryTree("abcd\\");
    EXPECT_FALSE(Exists(Native("abcd")));
}

TEST_F(HelpersTest, RemoveDirectoryTreeNeverFollowsLinks) {
    fs::create_directories(Native("tree/a/b"));
    fs::create_directories(Native("outside/keep"));
    WriteFile(Native("tree/a/b/deep.txt"), "deep");
    WriteFile(Native("outside/keep/file.txt"), "keep");
    fs::create_directory_symlink(Native("outside"), Native("tree/a/to-dir"));
    fs::create_symlink(Native("outside/keep/file.txt"), Native("tree/to-file"));
    fs::create_symlink(Native("nowhere"), Native("tree/a/b/dangling"));
    fs::create_directory_symlink(Native("outside"), Native("link"));

    RemoveDirectoryTree(Windows("tree\\").c_str());
    RemoveDirectoryTree(Windows("link").c_str());

    EXPECT_FALSE(Exists(Native("tree")));
    EXPECT_FALSE(Exists(Native("link")));
    EXPECT_EQ(ReadFile(Native("outside/keep/file.txt")), "keep");
}

// Windows will not delete a directory that is current.
TEST_F(HelpersTest, RemoveDirectoryTreeLeavesTheTreeFirst) {
    fs::create_directories(Native("tree/sub"));
    ASSERT_TRUE(EnsureDirectory(Windows("tree\\sub\\").c_str()));
    RemoveDirectoryTree(Windows("tree\\").c_str());
    EXPECT_FALSE(Exists(Native("tree")));
    EXPECT_EQ(Current(), fs::path(dir_));
}

// StartProgram, then the wait that the worker does after it.
int RunAndWait(const char* program, const char* command_line, const char* directory)
{
    SysProcess process;
    if (!StartProgram(program, command_line, directory, &process))
        return 0;
    SysWaitProcess(process);
    return 1;
}

class RunAndWaitTest : public ScratchDir {
protected:
    // A program that writes its current directory and arguments to "out"
    // after a pause, so that the record proves the call waited.
    void MakeProgram(const std::string& relative) {
        fs::create_directories(fs::path(Native(relative)).parent_path());
        WriteFile(Native(relative), "#!/bin/sh\nsleep 0.2\nprintf '%s|%s' \"$(pwd)\" \"$*\" > '" + Native("out") + "'\n");
        fs::permissions(Native(relative), fs::perms::owner_all);
    }
};

TEST_F(RunAndWaitTest, StartsWaitsAndPassesArguments) {
    MakeProgram("setup");
    MakeProgram("my dir/setup");
    fs::current_path(dir_);
    std::string setup = Windows("setup"), spaced = Windows("my dir\\setup");
    std::string top = Windows(""), sub = Windows("my dir\\");
    // The program starts in the directory given, not in this process's.
    struct {
        std::string program, command, directory, arguments, current;
    } cases[] = {
        {setup, setup, top, "", dir_},
        {setup, setup + " one  two", top, "one two", dir_},
        {spaced, spaced + " a", top, "a", dir_},
        {spaced, "\"" + spaced + "\" \"quoted arg\" x", top, "quoted arg x", dir_},
        {setup, setup + " C:\\path\\x", top, "C:/path/x", dir_},
        {setup, setup, sub, "", Native("my dir")},
        {spaced, spaced, Windows("my dir"), "", Native("my dir")},
    };
    for (const auto& c : cases) {
        fs::remove(Native("out"));
        fs::current_path(c.current == dir_ ? Native("my dir") : dir_);
        EXPECT_NE(RunAndWait(c.program.c_str(), c.command.c_str(), c.directory.c_str()), 0) << c.command;
        EXPECT_EQ(ReadFile(Native("out")), c.current + "|" + c.arguments) << c.command;
    }
}

// The program is never looked for: a command line that does not begin with
// it, or names another program first, starts nothing.
TEST_F(RunAndWaitTest, FailsAtOnceWhenItCannotStart) {
    MakeProgram("setup");
    MakeProgram("my");
    WriteFile(Native("plain"), "not a program");
    std::string setup = Windows("setup"), missing = Windows("missing\\setup.exe");
    struct {
        std::string program, command;
    } cases[] = {
        {missing, missing + " arg"},
        {Native("plain"), Native("plain")},
        {"", ""},
        {setup, setup + " " + std::string(SYS_PATH_SIZE, 'a')},
        {setup, Windows("my") + " " + setup},
        {setup, setup + "x"},
        {Windows("my dir\\setup"), Windows("my dir\\setup")},
    };
    for (const auto& c : cases) {
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(RunAndWait(c.program.c_str(), c.command.c_str(), Windows("").c_str()), 0) << c.command;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << c.command;
    }
    EXPECT_FALSE(Exists(Native("out")));
}

// Windows under UAC refuses a program that must run as administrator; it is
// started again through the elevation prompt, and a declined prompt is a
// program that could not start.
TEST_F(RunAndWaitTest, ProgramThatNeedsElevationIsStartedThroughThePrompt) {
    MakeProgram("setup");
    fs::create_directory(Native("sub"));
    fs::current_path(dir_);
    std::string setup = Windows("setup");
    struct {
        int declined, started, elevated_starts;
    } cases[] = {{0, 1, 1}, {1, 0, 0}};
    for (const auto& c : cases) {
        fs::remove(Native("out"));
        g_elevation = {1, c.declined, 0};
        int started = RunAndWait(setup.c_str(), (setup + " /S").c_str(), Windows("sub").c_str());
        int elevated_starts = g_elevation.elevated_starts;
        g_elevation = {};
        EXPECT_EQ(started != 0, c.started != 0) << c.declined;
        EXPECT_EQ(elevated_starts, c.elevated_starts) << c.declined;
        EXPECT_EQ(Exists(Native("out")) ? ReadFile(Native("out")) : "",
                  c.started ? Native("sub") + "|/S" : "")
            << c.declined;
    }
}

}  // namespace
