// Path functions shared by the container reader, the worker and the
// builder: the same rules on every platform. The only thing they ask the
// system is which bytes begin double-byte characters.
#pragma once

#include <stddef.h>

enum { PART_DRIVE_SIZE = 3, PART_SIZE = 256 };

// Splits path into drive ("C:" when the second character is a colon),
// directory (up to and including the last '\' or '/'), base name and
// extension (from the last dot after the directory, dot included). In a
// double-byte ANSI code page the byte after a lead byte is never taken for a
// separator or a dot. Each part buffer receives a NUL-terminated string;
// directory, base name and extension are cut to 255 characters. Any part
// pointer may be null.
void SplitPath(const char* path, char* drive, char* directory, char* base, char* extension);

// The number of bytes of the character that begins at text, which must not
// be its NUL: 2 for a lead byte of a double-byte ANSI code page that a byte
// other than NUL follows, otherwise 1. Whatever walks a path character by
// character walks it with this, so that every walker sees the same
// separators and dots.
size_t CharacterLength(const char* text);

// Non-zero when a and b are equal after folding ASCII A-Z to lower case;
// all other bytes compare as they are.
int EqualNoCase(const char* a, const char* b);
