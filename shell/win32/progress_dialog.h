// The installer's progress window (dialog IDD_PROGRESS).
#pragma once

#include <windows.h>

// Dialog procedure of IDD_PROGRESS, run modally on the main thread with the
// initialisation parameter 0. Starts the extraction worker, carries out the
// CMD_ window commands, turns IDOK / IDCANCEL into the cancel flag and ends
// the dialog (result 0) only once the worker has given back its busy count.
// Removes the extraction directory when destroyed and at the end of the
// session. Returns TRUE for WM_INITDIALOG and FALSE for everything else.
INT_PTR CALLBACK ProgressDialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
