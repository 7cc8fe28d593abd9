// The extraction worker and the process-wide state it shares with start-up
// and the progress window.
#pragma once

#include "archive/format.h"
#include "platform/platform.h"
#include "extract/port.h"

extern char g_archive_path[SYS_PATH_SIZE];  // the file holding the archive
extern char g_prev_target[SYS_PATH_SIZE];   // previous piece's target; "" first
extern char g_extract_dir[SYS_PATH_SIZE];   // ends with '\'; "" until named
extern char g_reserve_file[SYS_PATH_SIZE];  // the "~kw" file that reserves its name
// Copies of the header's fields, sized as the fields themselves.
extern char g_setup_program[TEXT_FIELD_SIZE];
extern char g_password[TEXT_FIELD_SIZE];
extern WindowRef g_window;  // the progress window

// The worker thread's procedure. window points to the progress window's
// handle, read once at the start. Unpacks the archive of g_archive_path into
// a new directory under the temporary directory, starts the setup program
// and waits for it, reporting through the window commands; every failure
// shows one message and closes the window. Returns 0 on every path.
unsigned long ExtractWorker(void* window);

// Removes what the worker left in the temporary directory; the window calls
// it on WM_DESTROY and WM_ENDSESSION, on its own thread. Deletes the
// extraction directory with everything in it (RemoveDirectoryTree, which
// leaves the temporary directory current), then the reserve file. While
// part of the directory is left (a running setup program holds a file) the
// reserve file and both names stay, so that a later call can try again.
// Does nothing before the worker has named them, and nothing more once both
// are gone.
void RemoveExtraction(void);
