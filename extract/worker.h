// The extraction worker and the process-wide state it keeps: the archive,
// which start-up names, and the target of the piece before.
#pragma once

#include "archive/container.h"
#include "archive/format.h"
#include "platform/platform.h"
#include "extract/extraction.h"
#include "extract/port.h"

extern char g_archive_path[SYS_PATH_SIZE];  // the file holding the archive
extern char g_prev_target[SYS_PATH_SIZE];   // previous piece's target; the worker empties it at its start

// Why a run stopped. The cursor's failures keep their CURSOR_ values.
enum {
    STOP_NONE = 0,                            // the run reached the launch
    STOP_BAD_NAME = CURSOR_BAD_NAME,          // a record's name has no NUL
    STOP_NO_VOLUME = CURSOR_NO_VOLUME,        // the next volume is missing, the user gave up
    STOP_SHORT_VOLUME = CURSOR_SHORT_VOLUME,  // a volume holds no whole record
    STOP_NO_DIRECTORY,                        // the extraction directory cannot be made
    STOP_NO_MEMORY,                           // no piece buffer
    STOP_NO_ARCHIVE,                          // the archive cannot be opened or has no header
    STOP_SETUP_FIELD,                         // the setup program field leaves the directory
    STOP_NO_PASSWORD,                         // the password prompt was declined
    STOP_WRONG_PASSWORD,                      // the password typed is not the archive's
    STOP_NAME,                                // the name rule refuses the piece's name
    STOP_TOO_LARGE,                           // a piece larger than the buffer
    STOP_PATH_TOO_LONG,                       // the piece's path does not fit
    STOP_NO_TARGET_DIRECTORY,                 // the piece's directory cannot be made
    STOP_OPEN,                                // the piece's file cannot be opened
    STOP_SEEK,                                // the end of the file to continue cannot be found
    STOP_SHORT_READ,                          // the piece's data is cut short
    STOP_WRITE,                               // the piece is not written whole
    STOP_DECODE,                              // the previous piece's block file does not decode
    STOP_DECODE_LAST,                         // the last piece's block file does not decode
    STOP_TAKEN_OVER,                          // the window took the extraction over
    STOP_COMMAND_LINE,                        // the setup program's command line does not fit
    STOP_NO_PROGRAM,                          // no part of the field is a file that starts
    STOP_REASONS
};

// Where and why the last run stopped, for a caller that shows no window.
// The worker empties it at its start and fills it on its way out on failure.
struct WorkerOutcome {
    int reason;         // a STOP_ value
    uint32_t error;     // the system's error of a write that failed (SysTakeWriteError), 0 for none
    RecordPlace place;  // the piece being worked on; piece 0 before the first
};

extern WorkerOutcome g_outcome;

// The worker thread's procedure. window points to the progress window's
// handle, read once at the start. Unpacks the archive of g_archive_path into
// a new directory under the temporary directory, starts the setup program
// found there by its full path and waits for it, reporting through the
// window commands; every failure shows one message and closes the window.
// Once the window has taken the extraction over (RemoveExtraction) the
// worker writes nothing more and starts nothing: it ends with IDS_ERROR.
// Resets all its own state at its start. Returns 0 on every path.
unsigned long ExtractWorker(void* window);
