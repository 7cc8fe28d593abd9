// The installer's dialogs and the module they are loaded from.
#pragma once

#include <windows.h>

// The installer's module instance: set once by start-up before any dialog
// or text is loaded.
extern HINSTANCE g_instance;

// Dialog procedure of IDD_PASSWORD. Open it with DialogBoxParamA and the
// address of a buffer of at least 48 bytes as parameter. The dialog ends
// with 1 (IDOK) after copying the box's text, 0 to 47 characters and a NUL,
// into the buffer, or with 2 (IDCANCEL: Storno, Escape, the close box)
// leaving the buffer as it was. Returns TRUE for WM_INITDIALOG only.
INT_PTR CALLBACK PasswordDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
