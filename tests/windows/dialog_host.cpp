// dialog_host MODE: shows the installer's dialogs, built from the real
// resources and shell code, for the end-to-end tests.
//
//   progress         IDD_PROGRESS with a stand-in procedure that opens and
//                    plays the clip (-> clip OPEN PLAY, the two results),
//                    sets the bar to 3 of 10 and ends on Storno or the
//                    close box (-> progress-end)
//   password [TEXT]  the password prompt over a buffer holding TEXT
//                    (default "marker") -> password RESULT "BUFFER"
//   texts            each message text as stored, UTF-16 code units in
//                    hex (-> wide ID HEX), and as LoadStringA gives it,
//                    bytes in hex (-> ansi ID HEX)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "resources/resource.h"
#include "extract/port.h"
#include "shell/win32/dialogs.h"
#include "tests/windows/report.h"

namespace {

INT_PTR CALLBACK ProgressStandIn(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        LRESULT open = SendDlgItemMessageA(dialog, IDC_ANIMATION, ACM_OPENA, 0,
                                           (LPARAM)MAKEINTRESOURCEA(IDR_ANIMATION));
        LRESULT play = SendDlgItemMessageA(dialog, IDC_ANIMATION, ACM_PLAY, (WPARAM)-1,
                                           MAKELPARAM(0, 0xFFFF));
        Report("clip %ld %ld", (long)open, (long)play);
        SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 10));
        SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, 3, 0);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wparam) == IDCANCEL || LOWORD(wparam) == IDOK))
        EndDialog(dialog, 0);
    return FALSE;
}

std::string Hex(const void* data, size_t size, size_t unit)
{
    std::string out;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    char digits[3];
    for (size_t i = 0; i < size; i += unit) {
        for (size_t b = unit; b-- > 0;) {  // big-endian units
            std::snprintf(digits, sizeof digits, "%02x", bytes[i + b]);
            out += digits;
        }
    }
    return out;
}

void PrintTexts()
{
    for (int id = IDS_CAPTION; id <= IDS_BAD_PASSWORD; ++id) {
        wchar_t wide[1000];
        char ansi[1000];
        int wide_length = LoadStringW(g_instance, id, wide, 1000);
        int ansi_length = LoadText(id, ansi, sizeof ansi);
        Report("wide %d %s", id, Hex(wide, wide_length * sizeof(wchar_t), sizeof(wchar_t)).c_str());
        Report("ansi %d %s", id, Hex(ansi, ansi_length, 1).c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    g_instance = GetModuleHandleA(nullptr);
    InitCommonControls();
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "progress") == 0) {
        DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, ProgressStandIn, 0);
        Report("progress-end");
    } else if (std::strcmp(mode, "password") == 0) {
        char buffer[48];
        const char* fill = argc > 2 ? argv[2] : "marker";
        if (std::strlen(fill) >= sizeof buffer)
            return 2;
        std::strcpy(buffer, fill);
        int result = AskPassword(nullptr, buffer);
        Report("password %d %s", result, Quote(buffer).c_str());
    } else if (std::strcmp(mode, "texts") == 0) {
        PrintTexts();
    } else {
        std::fprintf(stderr, "usage: dialog_host progress | password [TEXT] | texts\n");
        return 2;
    }
    return 0;
}
