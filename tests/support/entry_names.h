// The entry names of the one name rule, one line each: the same table drives
// the rule itself, the worker and the builder's name check.
#pragma once

#include "archive/entry_name.h"

#include <ostream>

struct EntryNameCase {
    const char* name;
    int fault;  // EntryNameFault's answer; NAME_SAFE for a safe name
};

// Names the case in a parameterised test's output by its quoted name.
inline void PrintTo(const EntryNameCase& c, std::ostream* out)
{
    *out << '"' << c.name << '"';
}

// At most one directory level, so that the worker can write every safe name
// as the only piece of an archive; block files hold stored blocks.
static const EntryNameCase kEntryNames[] = {
    {"setup.exe", NAME_SAFE},
    {"a\\c.txt", NAME_SAFE},
    {"a/b", NAME_SAFE},
    {"x..y", NAME_SAFE},
    {"b. c", NAME_SAFE},
    {".hidden", NAME_SAFE},
    {"\xF8\xEDli\x9A.txt", NAME_SAFE},  // code page 1250 letters
    {"console.txt", NAME_SAFE},
    {"com10", NAME_SAFE},
    {"lpt", NAME_SAFE},
    {"conin", NAME_SAFE},
    {"nul_", NAME_SAFE},
    {"auxiliary.txt", NAME_SAFE},
    {"a.xxx", NAME_SAFE},
    {"x.ini.XXX", NAME_SAFE},
    {"", NAME_EMPTY_COMPONENT},
    {"..", NAME_TWO_DOTS},
    {"..\\evil", NAME_TWO_DOTS},
    {"inside\\..\\..\\evil", NAME_TWO_DOTS},
    {"inside/../../evil", NAME_TWO_DOTS},
    {".. \\evil", NAME_TWO_DOTS},
    {"...\\evil", NAME_TWO_DOTS},
    {"..a", NAME_TWO_DOTS},
    {"....x", NAME_TWO_DOTS},
    {".", NAME_DOT_OR_BLANK_END},
    {".\\a", NAME_DOT_OR_BLANK_END},
    {"a.", NAME_DOT_OR_BLANK_END},
    {"a..", NAME_DOT_OR_BLANK_END},
    {"a ", NAME_DOT_OR_BLANK_END},
    {"a\\b \\c", NAME_DOT_OR_BLANK_END},
    {"\\evil", NAME_EMPTY_COMPONENT},
    {"/evil", NAME_EMPTY_COMPONENT},
    {"\\\\server\\share\\evil", NAME_EMPTY_COMPONENT},
    {"C:evil", NAME_COLON},
    {"C:\\evil", NAME_COLON},
    {"inside\\evil:stream", NAME_COLON},
    {"a\\\\b", NAME_EMPTY_COMPONENT},
    {"a\\", NAME_EMPTY_COMPONENT},
    {"CON", NAME_DEVICE},
    {"con", NAME_DEVICE},
    {"con.", NAME_DOT_OR_BLANK_END},
    {"con .", NAME_DOT_OR_BLANK_END},
    {"PRN", NAME_DEVICE},
    {"aux.txt", NAME_DEVICE},
    {"AUX .txt", NAME_DEVICE},
    {"nul", NAME_DEVICE},
    {"nul.txt", NAME_DEVICE},
    {"nul.tar.gz", NAME_DEVICE},
    {"COM0", NAME_DEVICE},
    {"COM1", NAME_DEVICE},
    {"a\\COM1", NAME_DEVICE},
    {"COM9.txt", NAME_DEVICE},
    {"LPT0.x", NAME_DEVICE},
    {"LPT1.log", NAME_DEVICE},
    {"lpt9", NAME_DEVICE},
    {"CONIN$", NAME_DEVICE},
    {"conout$.txt", NAME_DEVICE},
    {"Clock$", NAME_DEVICE},
    {"COM\xB9", NAME_DEVICE},  // superscript one in code page 1252
    {"lpt\xB2.txt", NAME_DEVICE},
    {"a\\Com\xB3 .log", NAME_DEVICE},
    {"COM\xB9x", NAME_SAFE},
    {"LPT\xB4", NAME_SAFE},
    {"a?b", NAME_BAD_CHARACTER},
    {"a*b", NAME_BAD_CHARACTER},
    {"a<b", NAME_BAD_CHARACTER},
    {"a>b", NAME_BAD_CHARACTER},
    {"a|b", NAME_BAD_CHARACTER},
    {"a\"b", NAME_BAD_CHARACTER},
    {"a\x01", NAME_BAD_CHARACTER},
    {"a\tb", NAME_BAD_CHARACTER},
    {"a\x1f"
     "b",
     NAME_BAD_CHARACTER},
    {"...xxx", NAME_TWO_DOTS},              // decodes into ".."
    {".. .xxx", NAME_TWO_DOTS},             // decodes into ".. "
    {".xxx", NAME_BLOCK_DECODES_BADLY},     // decodes into nothing
    {"a\\.xxx", NAME_BLOCK_DECODES_BADLY},  // decodes into the directory a
    {"a .xxx", NAME_BLOCK_DECODES_BADLY},   // decodes into "a "
    {"con.xxx", NAME_DEVICE},
    {"Nul.txt.xxx", NAME_DEVICE},
};

// Names read in code page 932, where the second byte of a character may be
// 0x5C ('\\') or 0x7C ('|'): the rule splits them as SplitPath does.
static const EntryNameCase kEntryNames932[] = {
    {"\x95\x5C", NAME_SAFE},
    {"\x83\x7C.txt", NAME_SAFE},
    {"a\\\x94\x5C\\b.txt", NAME_SAFE},
    {"\x95\x5C.xxx", NAME_SAFE},
    {"\x95\x5C\\x", NAME_SAFE},
    {"a\\\x95", NAME_SAFE},  // a lead byte at the end stands alone
    {"\x95\x5C\\", NAME_EMPTY_COMPONENT},
    {"\x95\x5C\\..\\x", NAME_TWO_DOTS},
    {"\x95\x5C.", NAME_DOT_OR_BLANK_END},
    {"a|\x83", NAME_BAD_CHARACTER},
    {"\x83\x7C?", NAME_BAD_CHARACTER},
    {"COM\xB9.txt", NAME_DEVICE},
    {"\x95\x5C\\con", NAME_DEVICE},
};
