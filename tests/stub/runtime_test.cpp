// The stub's own C library functions (platform/win32/runtime.cpp, compiled
// here under rt_ names) against the C library's, case by case.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>

extern "C" {
void* rt_memcpy(void*, const void*, size_t);
void* rt_memmove(void*, const void*, size_t);
void* rt_memset(void*, int, size_t);
int rt_memcmp(const void*, const void*, size_t);
void* rt_memchr(const void*, int, size_t);
size_t rt_strlen(const char*);
char* rt_strchr(const char*, int);
int rt_strcmp(const char*, const char*);
int rt_strncmp(const char*, const char*, size_t);
size_t rt_strcspn(const char*, const char*);
char* rt_strstr(const char*, const char*);
void* rt_malloc(size_t);
void rt_free(void*);
}

namespace {

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

// Where a search found something: an offset into text, or -1 for none.
long Offset(const char* text, const void* found)
{
    return found ? (const char*)found - text : -1;
}

struct TwoTexts {
    const char* a;
    const char* b;
    size_t count;
};

// Byte values above 127 compare as unsigned, as the C library's do.
const TwoTexts kPairs[] = {
    {"", "", 0},           {"", "", 5},         {"a", "", 5},
    {"", "a", 5},          {"abc", "abc", 3},   {"abc", "abd", 3},
    {"abc", "abd", 2},     {"abd", "abc", 9},   {"ab", "abc", 9},
    {"abc", "ab", 9},      {"\xE1", "a", 1},    {"a", "\xE1", 1},
    {"Setup", "setup", 9}, {"x\0y", "x\0z", 3}, {"archiv.exe", "archiv.e01", 8},
};

TEST(StubRuntime, ComparesAsTheCLibraryDoes)
{
    for (const TwoTexts& p : kPairs) {
        SCOPED_TRACE(std::string(p.a) + " / " + p.b + " / " + std::to_string(p.count));
        EXPECT_EQ(Sign(rt_strcmp(p.a, p.b)), Sign(strcmp(p.a, p.b)));
        EXPECT_EQ(Sign(rt_strncmp(p.a, p.b, p.count)), Sign(strncmp(p.a, p.b, p.count)));
        size_t shorter = std::min(strlen(p.a), strlen(p.b)) + 1;
        size_t count = std::min(p.count, shorter);
        EXPECT_EQ(Sign(rt_memcmp(p.a, p.b, count)), Sign(memcmp(p.a, p.b, count)));
    }
}

struct Search {
    const char* text;
    const char* part;  // for strstr and strcspn; its first byte for the others
};

const Search kSearches[] = {
    {"", ""},
    {"", "x"},
    {"abc", ""},
    {"abc", "c"},
    {"abc", "d"},
    {"abcabc", "ca"},
    {"%s a %s", "%s"},
    {"aaab", "aab"},
    {"C:\\x", ":"},
    {"dir\\sub/x", "\\/"},
    {"dir/sub\\x", "\\/"},
    {"name", "\\/"},
    {"\xE8\xE1", "\xE1"},
    {"end", "end!"},
};

TEST(StubRuntime, SearchesAsTheCLibraryDoes)
{
    for (const Search& s : kSearches) {
        SCOPED_TRACE(std::string(s.text) + " / " + s.part);
        size_t length = strlen(s.text);
        EXPECT_EQ(rt_strlen(s.text), length);
        EXPECT_EQ(Offset(s.text, rt_strstr(s.text, s.part)), Offset(s.text, strstr(s.text, s.part)));
        EXPECT_EQ(rt_strcspn(s.text, s.part), strcspn(s.text, s.part));
        int c = (unsigned char)s.part[0];
        EXPECT_EQ(Offset(s.text, rt_strchr(s.text, c)), Offset(s.text, strchr(s.text, c)));
        EXPECT_EQ(Offset(s.text, rt_memchr(s.text, c, length)), Offset(s.text, memchr(s.text, c, length)));
    }
}

struct Move {
    size_t to, from, count;
};

// Copies within one buffer: apart, overlapping either way, onto themselves.
const Move kMoves[] = {
    {0, 16, 8}, {16, 0, 8}, {0, 4, 12}, {4, 0, 12}, {1, 0, 31}, {0, 1, 31}, {5, 5, 10}, {3, 9, 0},
};

TEST(StubRuntime, MovesAndFillsAsTheCLibraryDoes)
{
    for (const Move& m : kMoves) {
        SCOPED_TRACE(std::to_string(m.to) + " <- " + std::to_string(m.from) + " x" + std::to_string(m.count));
        unsigned char ours[32], theirs[32];
        for (int i = 0; i < 32; i++)
            ours[i] = theirs[i] = (unsigned char)(i * 7 + 1);
        EXPECT_EQ(rt_memmove(ours + m.to, ours + m.from, m.count), ours + m.to);
        memmove(theirs + m.to, theirs + m.from, m.count);
        EXPECT_EQ(memcmp(ours, theirs, sizeof ours), 0);
        if (m.to + m.count <= m.from || m.from + m.count <= m.to) {
            EXPECT_EQ(rt_memcpy(ours + m.from, ours + m.to, m.count), ours + m.from);
            memcpy(theirs + m.from, theirs + m.to, m.count);
            EXPECT_EQ(memcmp(ours, theirs, sizeof ours), 0);
        }
        EXPECT_EQ(rt_memset(ours + m.to, 0x1E5, m.count), ours + m.to);  // only the low byte
        memset(theirs + m.to, 0xE5, m.count);
        EXPECT_EQ(memcmp(ours, theirs, sizeof ours), 0);
    }
}

TEST(StubRuntime, AllocatesAndFreesBlocks)
{
    void* block = rt_malloc(320000);
    ASSERT_NE(block, nullptr);
    rt_memset(block, 0xAB, 320000);
    rt_free(block);
    rt_free(nullptr);
}

}  // namespace
