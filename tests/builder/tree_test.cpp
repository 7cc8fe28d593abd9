#include "tests/support/archive_writer.h"
#include "tools/rozbal/errors.h"
#include "tools/rozbal/tree.h"

#include <gtest/gtest.h>

#include <fnmatch.h>
#include <sys/stat.h>

#include <cstring>

namespace {

// Archive names in order, "|"-separated, or "error: ..." / "warning: ...".
std::string Scan(const TempDir& dir, const CompressRule& rule = {})
{
    try {
        TreeScan scan = ScanTree(dir.path(), rule);
        std::string text;
        for (const PackFile& file : scan.files)
            text += (text.empty() ? "" : "|") + file.archive_name;
        for (const std::string& warning : scan.warnings)
            text += " warning: " + warning;
        return text;
    } catch (const InputError& e) {
        return std::string("error: ") + e.what();
    }
}

TEST(Tree, OrderNamesAndRefusals)
{
    struct Case {
        std::vector<const char*> files;  // a trailing '/' makes a directory
        const char* result;              // the whole order, or the beginning of an error
    } cases[] = {
        {{"b", "a", "C", "_"}, "C|_|a|b"},
        // A directory's own files come before its subdirectories.
        {{"z", "a/z", "a/b/x", "a/c", "aa"}, "aa|z|a\\c|a\\z|a\\b\\x"},
        {{"příliš žluťoučký.txt"}, "p\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD.txt"},
        {{"x", "e/", "d/f/"},
         "x warning: empty directory 'd' left out: an archive holds files only"
         " warning: empty directory 'e' left out: an archive holds files only"},
        {{"x", "a/b/c"}, "error: directory 'a' holds subdirectories but no file of its own"},
        {{"a/b/c", "a/b/d", "a/x"}, "a\\x|a\\b\\c|a\\b\\d"},
        {{"e/"}, "error: "},
        {{"日本.txt"}, "error: '日本.txt': the name cannot be written in code page 1250"},
        {{"a\\b"}, "error: 'a\\b': a backslash"},
        {{"d/a\\b/x"}, "error: 'd/a\\b': a backslash"},
        {{"old.XXX"}, "error: 'old.XXX': the installer decodes names ending in .xxx"},
        {{"a?"}, "error: 'a?': unusable as an archive name: it contains a character"},
        {{"nul.txt"}, "error: 'nul.txt': unusable as an archive name: a path component is a Windows device name"},
        {{"Readme", "README"}, "error: 'README' and 'Readme' would be the same file on Windows"},
        {{"Dir/x", "dir/y"}, "error: 'Dir' and 'dir' would be the same file on Windows"},
        {{"ŽLUŤ", "žluť"}, "error: 'ŽLUŤ' and 'žluť' would be the same file on Windows"},
        {{"12345678901234567890123456789012345678901234567"},
         "12345678901234567890123456789012345678901234567"},
        {{"123456789012345678901234567890123456789012345678"}, "error: '1234"},
        {{"a234567890/234567890/234567890/234567890/234567"}, "error: directory 'a234567890'"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        for (const char* file : c.files) {
            std::string name = file;
            if (name.back() == '/')
                std::filesystem::create_directories(dir / name);
            else
                WriteFile(dir / name, "data");
        }
        std::string result = Scan(dir);
        EXPECT_EQ(result.compare(0, std::strlen(c.result), c.result), 0) << c.files[0] << " gave: " << result;
        if (std::strncmp(c.result, "error", 5) != 0) {
            EXPECT_EQ(result, c.result);
        }
    }
}

TEST(Tree, CompressRules)
{
    struct Case {
        std::vector<std::string> patterns;
        bool all;
        const char* result;
    } cases[] = {
        {{}, false, "a.txt|b.bin|d\\c.txt"},
        {{}, true, "a.txt.xxx|b.bin.xxx|d\\c.txt.xxx"},
        {{"*.txt"}, false, "a.txt.xxx|b.bin|d\\c.txt.xxx"},
        {{"d/*"}, false, "a.txt|b.bin|d\\c.txt.xxx"},
        {{"*/*.txt", "b.*"}, false, "a.txt|b.bin.xxx|d\\c.txt.xxx"},
        {{"*.TXT"}, false, "a.txt|b.bin|d\\c.txt"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        for (const char* file : {"a.txt", "b.bin", "d/c.txt"})
            WriteFile(dir / file, "x");
        CompressRule rule;
        rule.patterns = c.patterns;
        rule.all = c.all;
        EXPECT_EQ(Scan(dir, rule), c.result) << c.result;
    }
    TempDir dir;
    WriteFile(dir / "x", "1");
    WriteFile(dir / "x.xxx", "2");  // decodes into x
    EXPECT_EQ(Scan(dir, CompressRule{{"x*"}, false}).rfind("error: 'x' and 'x.xxx'", 0), 0u);
}

// The builder's own matcher (Windows has no fnmatch) agrees with the C
// library's, so that --compress picks the same files on both systems.
TEST(Tree, PatternsMatchAsTheShellDoes)
{
    struct Case {
        const char* pattern;
        const char* text;
        bool whole_path;
        bool matches;
    } cases[] = {
        {"*.dll", "a.dll", false, true},
        {"*.dll", "a.dll.bak", false, false},
        {"*", "", false, true},
        {"", "", false, true},
        {"", "a", false, false},
        {"a*b*c", "axxbyyc", false, true},
        {"a*b*c", "axxbyycd", false, false},
        {"*a*a", "aaa", false, true},
        {"?.txt", "ab.txt", false, false},
        {"??.txt", "ab.txt", false, true},
        {"[abc].x", "b.x", false, true},
        {"[!abc].x", "b.x", false, false},
        {"[^abc].x", "d.x", false, true},
        {"[a-c]*", "c9", false, true},
        {"[a-c]*", "D", false, false},
        {"[]a]", "]", false, true},
        {"[a-]", "-", false, true},
        {"[[:digit:]]x", "7x", false, true},
        {"[[:upper:]]*", "readme", false, false},
        {"[abc", "[abc", false, true},
        {"\\*.txt", "*.txt", false, true},
        {"\\*.txt", "a.txt", false, false},
        {"*.TXT", "a.txt", false, false},
        {"d/*", "d/c.txt", true, true},
        {"d/*", "d/e/c.txt", true, false},
        {"*/*.txt", "d/c.txt", true, true},
        {"*.txt", "d/c.txt", true, false},
        {"d?c.txt", "d/c.txt", true, false},
        {"d[/]c", "d/c", true, false},
        {"d*", "d/c", false, true},
        {"P\xC5\x99*", "P\xC5\x99\xC3\xADlohy", false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchPattern(c.pattern, c.text, c.whole_path), c.matches) << c.pattern << " " << c.text;
        EXPECT_EQ(fnmatch(c.pattern, c.text, c.whole_path ? FNM_PATHNAME : 0) == 0, c.matches)
            << c.pattern << " " << c.text;
    }
}

TEST(Tree, SpecialFiles)
{
    TempDir dir;
    WriteFile(dir / "real", "x");
    std::filesystem::create_symlink("real", dir / "link");
    EXPECT_EQ(Scan(dir), "link|real");
    std::filesystem::create_directory_symlink(".", dir / "loop");
    EXPECT_EQ(Scan(dir).rfind("error: 'loop': a symbolic link", 0), 0u);
    std::filesystem::remove(dir / "loop");
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(Scan(dir), "error: 'fifo': not a regular file or directory");
}

}  // namespace
