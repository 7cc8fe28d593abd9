#include "shell/win32/dialogs.h"

#include "resources/resource.h"

enum { PASSWORD_MAX = 47 };  // the archive's text fields hold 47 and a NUL

INT_PTR CALLBACK PasswordDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        // The caller's buffer stays with the window until the prompt ends;
        // what it holds is never shown.
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lparam);
        SetDlgItemTextA(dialog, IDC_PASSWORD_EDIT, "");
        SendDlgItemMessageA(dialog, IDC_PASSWORD_EDIT, EM_LIMITTEXT, PASSWORD_MAX, 0);
        return TRUE;  // focus to the first tab stop, the password box
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK: {
            char* buffer = (char*)GetWindowLongPtrA(dialog, GWLP_USERDATA);
            GetDlgItemTextA(dialog, IDC_PASSWORD_EDIT, buffer, PASSWORD_MAX + 1);
            EndDialog(dialog, IDOK);
            break;
        }
        case IDCANCEL: EndDialog(dialog, IDCANCEL); break;
        }
        break;
    }
    return FALSE;
}
