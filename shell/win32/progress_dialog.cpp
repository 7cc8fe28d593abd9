// The progress window. Every window command of the worker is carried out
// here on the main thread, in the dialog's loop or nested in WaitForWorker.
#include "shell/win32/progress_dialog.h"

#include <commctrl.h>
#include <string.h>

#include "extract/worker.h"
#include "extract/commands.h"
#include "extract/port.h"

static HANDLE g_worker_thread;            // null until the worker starts
static char g_last_shown[SYS_PATH_SIZE];  // the file name on display

// Serves the window's queue until the worker has given back its busy count:
// the worker's sent commands hold it until they are carried out here, and
// its CMD_BUSY_DEC arrives posted. With cancelling set, the cancel flag is
// raised on every pass, so that the worker stops after its current piece.
static void WaitForWorker(int cancelling)
{
    while (g_busy > 0) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (cancelling)
            g_cancel = 1;
        Sleep(200);
    }
}

// The worker is portable code; a thread procedure has the platform's calling
// convention (stdcall on i686).
static DWORD WINAPI WorkerThread(LPVOID window)
{
    return ExtractWorker(window);
}

static void StartWorker(HWND window)
{
    SendMessageA(window, WM_COMMAND, CMD_BUSY_INC, 0);
    g_window = window;
    g_worker_thread = CreateThread(NULL, 0, WorkerThread, &g_window, 0, NULL);
    if (g_worker_thread) {
        SetThreadPriority(g_worker_thread, THREAD_PRIORITY_IDLE);
        return;
    }
    // Nobody else would ever give the busy count back: say so and end.
    char text[TEXT_SIZE], caption[TEXT_SIZE];
    LoadText(IDS_ERROR, text, sizeof text);
    LoadText(IDS_CAPTION, caption, sizeof caption);
    ShowMessageBox(window, text, caption, BOX_ERROR);
    SendMessageA(window, WM_COMMAND, CMD_BUSY_DEC, 0);
    EndDialog(window, 0);
}

static void SetTotal(HWND window, LPARAM file_count)
{
    SendDlgItemMessageA(window, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, file_count & 0xFFFF));
    SendDlgItemMessageA(window, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
    SendDlgItemMessageA(window, IDC_PROGRESS_BAR, PBM_SETSTEP, 1, 0);
    // No module handle: the clip comes from the module that made the control.
    SendDlgItemMessageA(window, IDC_ANIMATION, ACM_OPENA, 0, (LPARAM)MAKEINTRESOURCEA(IDR_ANIMATION));
    SendDlgItemMessageA(window, IDC_ANIMATION, ACM_PLAY, (WPARAM)-1, MAKELPARAM(0, 0xFFFF));
}

// The pieces of one file arrive under the same name; the bar steps once per
// file. Letter case counts.
static void ShowFile(HWND window, const char* name)
{
    if (strncmp(name, g_last_shown, sizeof g_last_shown - 1) == 0)
        return;
    size_t length = strlen(name);
    if (length >= sizeof g_last_shown)
        length = sizeof g_last_shown - 1;
    memcpy(g_last_shown, name, length);
    g_last_shown[length] = '\0';
    SetDlgItemTextA(window, IDC_CURRENT_FILE, g_last_shown);
    SendDlgItemMessageA(window, IDC_PROGRESS_BAR, PBM_DELTAPOS, 1, 0);
}

// "<title> Instalátor"; wsprintfA writes at most 1024 characters.
static void SetTitle(HWND window, const char* title)
{
    char caption[TEXT_SIZE];
    char text[1024];
    LoadText(IDS_CAPTION, caption, sizeof caption);
    wsprintfA(text, "%s %s", title, caption);
    SetWindowTextA(window, text);
}

static void HandleCommand(HWND window, WORD command, LPARAM argument)
{
    switch (command) {
    case CMD_START_WORKER: StartWorker(window); break;
    case CMD_BUSY_INC: g_busy++; break;
    case CMD_BUSY_DEC: g_busy--; break;
    case CMD_SET_TOTAL: SetTotal(window, argument); break;
    case CMD_SHOW_FILE: ShowFile(window, (const char*)argument); break;
    case CMD_SET_TITLE: SetTitle(window, (const char*)argument); break;
    case CMD_HIDE:
        SendDlgItemMessageA(window, IDC_ANIMATION, ACM_STOP, 0, 0);
        ShowWindow(window, SW_HIDE);
        break;
    case CMD_CLOSE:
        SendDlgItemMessageA(window, IDC_ANIMATION, ACM_STOP, 0, 0);
        WaitForWorker(0);
        EndDialog(window, 0);
        break;
    case IDOK:
    case IDCANCEL:
        WaitForWorker(1);
        Sleep(500);
        EndDialog(window, 0);
        break;
    }
}

INT_PTR CALLBACK ProgressDialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(window, IDC_CURRENT_FILE, "");
        ResetExtraction();
        g_last_shown[0] = '\0';
        g_cancel = 0;
        g_busy = 0;
        g_worker_thread = NULL;
        PostMessageA(window, WM_COMMAND, CMD_START_WORKER, 0);
        return TRUE;
    case WM_COMMAND: HandleCommand(window, LOWORD(wparam), lparam); break;
    // Also when the end of the session was called off: what was unpacked
    // lives no longer than the session it was unpacked for. A worker still
    // at work finds its extraction taken over and ends with IDS_ERROR.
    case WM_DESTROY:
    case WM_ENDSESSION:
        if (g_worker_thread) {
            CloseHandle(g_worker_thread);
            g_worker_thread = NULL;
        }
        RemoveExtraction();
        break;
    }
    return FALSE;
}
