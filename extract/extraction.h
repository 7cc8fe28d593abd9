// The extraction directory and its reserve file, handed from the worker to
// the window. The worker names them and touches the temporary directory only
// in steps that it brackets with EnterExtraction and LeaveExtraction. The
// window takes both names over for good in RemoveExtraction, after the step
// in progress has ended; from then on EnterExtraction fails, so nothing the
// worker does afterwards writes under the temporary directory or starts a
// program from it. A step never waits for the window, so the window's wait
// for a step always ends.
#pragma once

#include "platform/platform.h"

// Written by the worker inside its first step, before it leaves it; read and
// cleared by the window only after it has taken them over.
extern char g_extract_dir[SYS_PATH_SIZE];   // ends with '\'; "" until named
extern char g_reserve_file[SYS_PATH_SIZE];  // the "~kw" file that reserves the name

// Empties both names and lets the worker in again. The window calls it when
// it is initialised, before the worker starts; an end of the session that
// comes before the worker then still keeps the worker out.
void ResetExtraction(void);

// Worker side. EnterExtraction returns non-zero when the worker may touch the
// extraction (and must call LeaveExtraction when the step is done), 0 when
// the window has taken it over.
int EnterExtraction(void);
void LeaveExtraction(void);

// Window side; WM_DESTROY and WM_ENDSESSION call it on the window's thread.
// Takes the extraction over (waiting for the worker's current step), deletes
// the extraction directory with everything in it (RemoveDirectoryTree, which
// leaves the temporary directory current), then the reserve file. While
// part of the directory is left (a running setup program holds a file) the
// reserve file and both names stay, so that a later call can try again.
// Does nothing more once both are gone, and nothing before they are named.
void RemoveExtraction(void);
