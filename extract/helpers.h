// Path, directory, removal and launch helpers shared by the worker, the
// volume naming and the progress window.
#pragma once

enum { PART_DRIVE_SIZE = 3, PART_SIZE = 256 };

// Splits path into drive ("C:" when the second character is a colon),
// directory (up to and including the last '\' or '/'), base name and
// extension (from the last dot after the directory, dot included). Each part
// buffer receives a NUL-terminated string; directory, base name and
// extension are cut to 255 characters. Any part pointer may be null.
void SplitPath(const char* path, char* drive, char* directory, char* base, char* extension);

// Non-zero when a and b are equal after folding ASCII A-Z to lower case;
// all other bytes compare as they are.
int EqualNoCase(const char* a, const char* b);

// Makes sure the directory of path exists: the directory part of a file
// path, or path itself when it ends with a backslash. When it exists it
// becomes the current directory and the result is non-zero; otherwise one
// level is created, and the result says whether that worked (a missing
// parent fails). A bare file name lies in the current directory: success,
// nothing changed.
int EnsureDirectory(const char* path);

// Deletes the directory path with all its contents, quietly, after making
// its parent the current directory (a current directory cannot be deleted
// on Windows). Does nothing for a path that, without one trailing backslash,
// has fewer than 4 characters (the empty path, a drive root), or that is
// longer than a path can be.
void RemoveDirectoryTree(const char* path);

// Starts command_line (program path, then any arguments) and waits for it to
// end. Returns non-zero when it started, 0 at once when it could not or when
// command_line is longer than a path can be.
int RunAndWait(const char* command_line);
