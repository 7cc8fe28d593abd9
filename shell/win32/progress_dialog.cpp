// The progress window. Every window command of the worker is carried out
// here on the main thread, in the dialog's loop or nested in WaitForWorker;
// what a command changes is decided by the window model, and this only
// puts it on the screen.
#include "shell/win32/progress_dialog.h"

#include <commctrl.h>

#include "extract/worker.h"
#include "extract/window_model.h"

static HANDLE g_worker_thread;  // null until the worker starts

// Serves the window's queue until the worker has given back its busy count.
static void WaitForWorker(void)
{
    while (WindowWaiting()) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
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

// The bar's range, and the animation, which plays from the total on.
static void SetTotal(HWND window)
{
    SendDlgItemMessageA(window, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, g_view.bar_range));
    // No module handle: the clip comes from the module that made the control.
    SendDlgItemMessageA(window, IDC_ANIMATION, ACM_OPENA, 0, (LPARAM)MAKEINTRESOURCEA(IDR_ANIMATION));
    SendDlgItemMessageA(window, IDC_ANIMATION, ACM_PLAY, (WPARAM)-1, MAKELPARAM(0, 0xFFFF));
}

static void HandleCommand(HWND window, WORD command, LPARAM argument)
{
    int action = WindowCommand(command, argument);
    switch (action) {
    case CMD_START_WORKER: StartWorker(window); break;
    case CMD_SET_TOTAL:
    case CMD_SHOW_FILE:
        if (action == CMD_SET_TOTAL)
            SetTotal(window);
        else
            SetDlgItemTextA(window, IDC_CURRENT_FILE, g_view.shown);
        SendDlgItemMessageA(window, IDC_PROGRESS_BAR, PBM_SETPOS, g_view.bar_position, 0);
        break;
    case CMD_SET_TITLE: SetWindowTextA(window, g_view.title); break;
    case CMD_HIDE:
    case CMD_CLOSE:
        SendDlgItemMessageA(window, IDC_ANIMATION, ACM_STOP, 0, 0);
        if (action == CMD_HIDE) {
            ShowWindow(window, SW_HIDE);
            break;
        }
        WaitForWorker();
        EndDialog(window, 0);
        break;
    case CMD_CANCEL:
        WaitForWorker();
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
        WindowReset();
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
