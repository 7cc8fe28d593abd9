// The progress window's rules, whatever shows it: the busy count that keeps
// it open, the cancel, the file name on display and the bar, the title. The
// stub's dialog, the native tests' window thread and the builder's
// windowless port only carry out its decisions in their own medium. All of
// it runs on the window's thread, except g_cancel, which the worker reads.
#pragma once

#include <stdint.h>

#include <atomic>

#include "extract/commands.h"
#include "extract/port.h"
#include "platform/platform.h"

enum { TITLE_SIZE = 1024 };  // the window's title with its NUL; longer ones are cut

// Work the window waits for before it may end.
extern int g_busy;

// Set by the window when the user cancels; read by the worker after each
// piece and before the launch.
extern std::atomic<int> g_cancel;

// The progress window as the worker gets it: the worker's start parameter
// points here.
extern WindowRef g_window;

// What the window shows, as the last WindowCommand left it.
struct WindowView {
    int bar_range;              // the bar runs from 0 to this
    int bar_position;           // files shown since the total came
    char shown[SYS_PATH_SIZE];  // the file name on display, cut to fit
    char title[TITLE_SIZE];     // "<archive title> <IDS_CAPTION>"
};
extern WindowView g_view;

// Sets everything as a window that has just opened has it: nothing busy, no
// cancel, no name, no title, an empty bar, not ending.
void WindowReset(void);

// Applies command (a CMD_ id, or CMD_OK / CMD_CANCEL for the window's
// buttons) with its argument to the state above. Returns what the medium
// must then carry out, 0 when nothing:
//   CMD_BUSY_INC: 0;
//   CMD_BUSY_DEC: CMD_BUSY_DEC when this ends the wait of a window that is
//     closing or cancelling, 0 otherwise;
//   CMD_SET_TOTAL: show the bar's range (the count's low 16 bits) and
//     position (0);
//   CMD_SHOW_FILE: show the name and the bar's position, which steps once
//     per file: the pieces of one file come under the same name, letter
//     case counting; 0 for the same name again;
//   CMD_SET_TITLE: show the title;
//   CMD_OK, CMD_CANCEL: CMD_CANCEL, the user cancels: wait (WindowWaiting),
//     then end; the cancel flag is raised when anything is busy, and the
//     worker stops after its current piece;
//   anything else (CMD_START_WORKER, CMD_HIDE, CMD_CLOSE): command itself;
//     after CMD_CLOSE the window waits (WindowWaiting), then ends.
// CMD_SHOW_FILE's and CMD_SET_TITLE's argument points to a NUL-terminated
// text, read during the call only.
int WindowCommand(int command, intptr_t argument);

// A window that ends (CMD_CLOSE, CMD_CANCEL) waits, serving its queue, until
// this returns 0: non-zero while the worker still holds its busy count. The
// worker's sent commands hold it until they are carried out, and its
// CMD_BUSY_DEC comes posted.
inline int WindowWaiting(void)
{
    return g_busy > 0;
}
