// The setup program field of the archive header, read as the installer reads
// it: a program inside the extraction directory, then any arguments. The
// installer, verify and pack all pick the program with these functions, so
// that what pack accepts and verify passes is what the installer starts.
#pragma once

#include <stddef.h>

// Whether name (a part of the field: code page 1250, '\'-separated, relative
// to the extraction directory) is a file there; context is the caller's.
typedef int (*SetupIsFile)(const char* name, void* context);

// Non-zero when the field's first part, up to its first blank or tab, passes
// the entry-name rule. Every part FindSetupProgram may take begins with it,
// so a field that fails cannot reach outside the extraction directory.
int SetupFieldStaysInside(const char* field);

// Picks the program out of field (at most TEXT_FIELD_SIZE - 1 bytes): the
// first part that ends before a blank or a tab, or else the whole field,
// that passes the entry-name rule and for which is_file returns non-zero.
// The part goes to program (TEXT_FIELD_SIZE bytes); what follows it in the
// field are the arguments. Returns the part's length, or 0 when no part is
// such a file.
size_t FindSetupProgram(const char* field, SetupIsFile is_file, void* context, char* program);
