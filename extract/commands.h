// What the extraction worker and the progress window say to each other: the
// window commands and the message box styles.
#pragma once

#include "resources/resource.h"

// Window commands: WM_COMMAND ids, the argument in the second parameter.
enum {
    CMD_START_WORKER = 1124,  // posted by the window to itself
    CMD_BUSY_INC = 1125,      // sent by the window to itself
    CMD_BUSY_DEC = 1126,      // posted by the worker
    CMD_SET_TOTAL = 1127,     // sent: argument file_count
    CMD_CLOSE = 1128,         // posted
    CMD_HIDE = 1129,          // posted
    CMD_SHOW_FILE = 1130,     // sent: argument points to the piece's name
    CMD_SET_TITLE = 1131,     // sent: argument points to the archive title
    // The window's own button, Enter and Escape (IDOK, IDCANCEL): the user cancels.
    CMD_OK = 1,
    CMD_CANCEL = 2,
};

// Message box styles and the one answer looked at (MB_ and IDYES values).
enum {
    BOX_ERROR = 0x10,     // MB_ICONERROR, OK button
    BOX_QUESTION = 0x24,  // MB_YESNO | MB_ICONQUESTION
    ANSWER_YES = 6,       // IDYES
};

enum { TEXT_SIZE = 1000 };  // buffers for loaded texts
