#include "tools/rozbal/names.h"

#include <gtest/gtest.h>

#include "tests/support/entry_names.h"

namespace {

struct RefusalCase {
    const char* text;
    const char* refusal;  // a part of the reason, or "" when accepted
};

// Runs check on every case's text and compares with its refusal.
void ExpectRefusals(std::string (*check)(const std::string&), std::initializer_list<RefusalCase> cases)
{
    for (const RefusalCase& c : cases) {
        std::string why = check(c.text);
        if (c.refusal[0] == 0)
            EXPECT_EQ(why, "") << c.text;
        else
            EXPECT_NE(why.find(c.refusal), std::string::npos) << c.text << " gave: " << why;
    }
}

TEST(Names, ArchiveNameRules)
{
    ExpectRefusals(CheckArchiveName, {
        {"setup.exe", ""},
        {"a\\b\\c.txt", ""},
        {"..foo", "'..'"},
        {"a.b.c", ""},
        {"\xF8\xEDli\x9A.txt", ""},  // code page 1250 letters
        {"console.txt", ""},
        {"com10", ""},
        {"", "empty"},
        {"a\\\\b", "empty path component"},
        {"a\\", "empty path component"},
        {"\\a", "rooted"},
        {"/a", "rooted"},
        {"\\\\server\\share\\a", "rooted"},
        {"C:a", "':'"},
        {"a:stream", "':'"},
        {"..\\a", "'..'"},
        {"a\\..\\b", "'..'"},
        {"a/../b", "'..'"},
        {".\\a", "dot or a space"},
        {"a?b", "character"},
        {"a\x01", "character"},
        {"a|b", "character"},
        {"a.", "dot or a space"},
        {"a\\b \\c", "dot or a space"},
        {"CON", "device"},
        {"nul.txt", "device"},
        {"d\\Lpt3.log", "device"},
        {"com1", "device"},
        {"aux .txt", "device"},
        {"12345678901234567890123456789012345678901234567", ""},
        {"123456789012345678901234567890123456789012345678", "48 bytes"},
    });
}

// The installer's name rule, as the builder applies it to every name it
// packs, verifies or extracts.
TEST(Names, FollowTheInstallersRule)
{
    for (const EntryNameCase& c : kEntryNames)
        EXPECT_EQ(CheckArchiveName(c.name).empty(), c.fault == NAME_SAFE) << '"' << c.name << '"';
}

TEST(Names, SetupFieldRules)
{
    ExpectRefusals(CheckSetupField, {
        {"setup.exe", ""},
        {"setup.exe /S ..\\x", ""},
        {"my setup.exe", ""},
        {"", "no setup program"},
        {"..\\..\\x.exe", "'..'"},
        {"C:\\x.exe", "':'"},
        {"\\x.exe /S", "rooted"},
        {"con x.exe", "device"},
    });
}

TEST(Names, Cp1250RoundTrip)
{
    struct Case {
        const char* utf8;
        const char* cp1250;
    } cases[] = {
        {"plain.txt", "plain.txt"},
        {"příliš žluťoučký kůň", "p\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2"},
        {"ÚPĚL ĎÁBELSKÉ ÓDY", "\xDAP\xCCL \xCF\xC1" "BELSK\xC9 \xD3" "DY"},
        {"€ „“", "\x80 \x84\x93"},
    };
    for (const Case& c : cases) {
        std::string cp1250, utf8;
        ASSERT_TRUE(Utf8ToCp1250(c.utf8, cp1250)) << c.utf8;
        EXPECT_EQ(cp1250, c.cp1250) << c.utf8;
        ASSERT_TRUE(Cp1250ToUtf8(cp1250, utf8));
        EXPECT_EQ(utf8, c.utf8);
    }
    std::string out;
    EXPECT_FALSE(Utf8ToCp1250("日本.txt", out));
    EXPECT_FALSE(Utf8ToCp1250("bad\xC3", out));  // cut-off UTF-8
    EXPECT_FALSE(Cp1250ToUtf8("a\x98", out));    // undefined in the code page
    EXPECT_EQ(DisplayText("a\x98\xE8"), "a\\x98č");
}

TEST(Names, FoldCaseMatchesUpperAndLowerLetters)
{
    std::string upper, lower;
    ASSERT_TRUE(Utf8ToCp1250("ABCZŠŚŤŽŹŁĄŞŻĽÁČĎÉĚÍŇÓŘŮÚÝŔĹ", upper));
    ASSERT_TRUE(Utf8ToCp1250("abczšśťžźłąşżľáčďéěíňóřůúýŕĺ", lower));
    EXPECT_EQ(FoldCase(upper), lower);
    EXPECT_EQ(FoldCase(lower), lower);
    EXPECT_EQ(FoldCase("\xD7\xDF\xF7"), "\xD7\xDF\xF7");  // × ß ÷ have no pairs
}

TEST(Names, BlockNamesAndVolumes)
{
    EXPECT_TRUE(IsBlockName("x.ini.xxx"));
    EXPECT_TRUE(IsBlockName("dir\\A.XxX"));
    EXPECT_FALSE(IsBlockName("x.xxx\\y"));
    EXPECT_FALSE(IsBlockName("xxx"));
    EXPECT_FALSE(IsBlockName("a.xxxx"));
    EXPECT_EQ(PlainName("dir\\x.ini.xxx"), "dir\\x.ini");

    EXPECT_EQ(VolumePath("/out/SETUP.EXE", 1), "/out/SETUP.E01");
    EXPECT_EQ(VolumePath("/out/SETUP.EXE", 100), "/out/SETUP.E100");
    EXPECT_EQ(VolumePath("rel/SETUP", 7), "rel/SETUP07");
    EXPECT_EQ(VolumePath("/a.b/setup.exx", 2), "/a.b/setup.e02");
}

}  // namespace
