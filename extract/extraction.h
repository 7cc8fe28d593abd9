// The extraction directory and its reserve file, handed from the worker to
// the window. The worker names them and touches the temporary directory only
// in steps that it brackets with EnterExtraction and LeaveExtraction. The
// window takes both names over for good in RemoveExtraction: from its call on
// EnterExtraction fails, and once the step in progress has ended, nothing the
// worker does writes under the temporary directory or starts a program from
// it. A step never waits for the window, and a long one (a block file's
// decode) asks ExtractionKept after each of its short parts and ends early,
// so that the window's wait always ends soon.
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

// Worker side, inside a step: non-zero until the window has begun to take
// the extraction over; a step made of many parts stops at the next one once
// it is 0.
int ExtractionKept(void);

// Window side; WM_DESTROY and WM_ENDSESSION call it on the window's thread.
// Takes the extraction over, waiting for the worker's current step to end
// (a decode ends within one block), deletes the extraction directory with
// everything in it (RemoveDirectoryTree, which leaves the temporary
// directory current), then the reserve file. While part of the directory is
// left (a running setup program holds a file) the reserve file and both
// names stay, so that a later call can try again. Does nothing more once
// both are gone, and nothing before they are named.
void RemoveExtraction(void);
