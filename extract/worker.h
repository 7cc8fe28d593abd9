// The extraction worker and the process-wide state it keeps: the archive,
// which start-up names, and the target of the piece before.
#pragma once

#include "archive/format.h"
#include "platform/platform.h"
#include "extract/extraction.h"
#include "extract/port.h"

extern char g_archive_path[SYS_PATH_SIZE];  // the file holding the archive
extern char g_prev_target[SYS_PATH_SIZE];   // previous piece's target; the worker empties it at its start

// The worker thread's procedure. window points to the progress window's
// handle, read once at the start. Unpacks the archive of g_archive_path into
// a new directory under the temporary directory, starts the setup program
// found there by its full path and waits for it, reporting through the
// window commands; every failure shows one message and closes the window.
// Once the window has taken the extraction over (RemoveExtraction) the
// worker writes nothing more and starts nothing: it ends with IDS_ERROR.
// Resets all its own state at its start. Returns 0 on every path.
unsigned long ExtractWorker(void* window);
