// window_host STEP...: the installer's progress window, with its real
// procedure and resources, run against a stand-in worker that issues the
// window commands of the steps in order, so that the tests can look at the
// window between them. The worker goes on only on conditions, never after
// a time, so that a loaded machine cannot reorder it and the test's looks.
//
//   total N       CMD_SET_TOTAL with N (sent)
//   title TEXT    CMD_SET_TITLE (sent); "-" is the empty title
//   show NAME     CMD_SHOW_FILE (sent)
//   dec | hide | close   CMD_BUSY_DEC, CMD_HIDE, CMD_CLOSE (posted)
//   wait PATH     wait until PATH exists: the test's go-ahead once it has
//                 looked at the window
//   cancelled     wait until the window has raised the cancel flag
//   stay          never go on, as a worker still at work when the window
//                 ends; the end of the process ends it
//
// A wait gives up after a minute, so that the host of a failed test does
// not linger.
//
// Removing the extraction directory prints "removed CANCEL_FLAG"; the end
// of the dialog prints "ended".
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "extract/worker.h"
#include "resources/resource.h"
#include "extract/window_model.h"
#include "shell/win32/dialogs.h"
#include "shell/win32/progress_dialog.h"
#include "tests/windows/report.h"

namespace {
int g_step_count;
char** g_steps;

template <typename Condition>
void Await(Condition holds) {
    for (int waited = 0; !holds() && waited < 60000; waited += 20)
        Sleep(20);
}
}  // namespace

unsigned long ExtractWorker(void* window_address) {
    WindowRef window = *(WindowRef*)window_address;
    for (int i = 1; i < g_step_count; ++i) {
        const char* step = g_steps[i];
        const char* argument = i + 1 < g_step_count ? g_steps[i + 1] : "";
        if (!strcmp(step, "dec")) {
            PostCommand(window, CMD_BUSY_DEC, 0);
        } else if (!strcmp(step, "hide")) {
            PostCommand(window, CMD_HIDE, 0);
        } else if (!strcmp(step, "close")) {
            PostCommand(window, CMD_CLOSE, 0);
        } else if (!strcmp(step, "cancelled")) {
            Await([] { return g_cancel.load() != 0; });
        } else if (!strcmp(step, "stay")) {
            Sleep(INFINITE);
        } else {
            ++i;
            if (!strcmp(step, "total"))
                SendCommand(window, CMD_SET_TOTAL, std::atol(argument));
            else if (!strcmp(step, "title"))
                SendCommand(window, CMD_SET_TITLE, (intptr_t)(strcmp(argument, "-") ? argument : ""));
            else if (!strcmp(step, "show"))
                SendCommand(window, CMD_SHOW_FILE, (intptr_t)argument);
            else if (!strcmp(step, "wait"))
                Await([argument] { return GetFileAttributesA(argument) != INVALID_FILE_ATTRIBUTES; });
        }
    }
    return 0;
}

void ResetExtraction(void) {}
void RemoveExtraction(void) { Report("removed %d", g_cancel.load()); }

int main(int argc, char** argv) {
    g_step_count = argc;
    g_steps = argv;
    g_instance = GetModuleHandleA(NULL);
    InitCommonControls();
    DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_PROGRESS), NULL, ProgressDialogProc, 0);
    Report("ended");
    return 0;
}
