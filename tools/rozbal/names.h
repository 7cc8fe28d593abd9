// Names as the installer sees them: code page 1250 bytes, backslash
// separators, 47 bytes at most, and the rules a name must meet before the
// installer may write it.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

// Converts UTF-8 text to code page 1250 (system_*.cpp). Returns false when a character has
// no code page 1250 form or the text is not valid UTF-8.
bool Utf8ToCp1250(const std::string& utf8, std::string& cp1250);

// Converts code page 1250 bytes to UTF-8. Returns false for the five bytes
// the code page leaves undefined.
bool Cp1250ToUtf8(const std::string& cp1250, std::string& utf8);

// UTF-8 for showing a code page 1250 text; undefined bytes appear as \xNN.
std::string DisplayText(const std::string& cp1250);

// Folds letter case the way a Windows file system compares names in code
// page 1250 (ASCII and the accented letters of the code page), so that two
// names that would land on one file compare equal.
std::string FoldCase(const std::string& cp1250);

// Empty when the installer may write the archive name `name` (code page
// 1250, backslash-separated, relative to the extraction directory);
// otherwise why not: empty or longer than 47 bytes, or refused by the
// installer's own name rule (archive/entry_name.h).
std::string CheckArchiveName(const std::string& name);

// Empty when the installer accepts `field` as its setup program field
// (the program, then any arguments after a blank or tab); otherwise why not:
// it is empty, or its part before the first blank or tab breaks the name
// rule, which the installer checks before it writes anything.
std::string CheckSetupField(const std::string& field);

// The program the installer starts for the setup program field `field`, as
// archive/setup_program.h picks it, with is_file saying which names are
// files; arguments receives the rest of the field, from the blank on.
// Empty when no part of the field is such a file.
std::string PickSetupProgram(const std::string& field, const std::function<bool(const std::string&)>& is_file,
                             std::string& arguments);

// Whether the installer decodes `name` as a block file: its extension, as
// the installer splits paths, is ".xxx" in any ASCII case.
bool IsBlockName(const std::string& name);

// `name` without its ".xxx"; the caller has checked IsBlockName.
std::string PlainName(const std::string& block_name);

// Volume `number` (1, 2, ...) beside `archive`, named by the installer's
// rule (SETUP.EXE -> SETUP.E01). Throws UsageError when the file name is too
// long for the rule.
std::filesystem::path VolumePath(const std::filesystem::path& archive, unsigned number);
