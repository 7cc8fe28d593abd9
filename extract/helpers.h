// Directory, removal and launch helpers of the worker and the progress
// window.
#pragma once

#include "archive/path.h"
#include "platform/platform.h"

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

// Starts program, a full path that no search is made for, with command_line
// as the text it gets and directory as its current directory (whatever
// directory this process is in); the caller waits for it (SysWaitProcess),
// which also releases it. command_line must begin with program's text, in
// double quotes or not; what follows are the arguments. When the system
// will run the program only as administrator, it is started again that
// way, the system asking the user. Both starts go through the worker's port
// (extract/port.h). Returns non-zero with the process in
// *process when it started; 0 when it could not start, when the user
// declined, when command_line does not begin with program and when it is
// longer than a path can be.
int StartProgram(const char* program, const char* command_line, const char* directory,
                 SysProcess* process);
