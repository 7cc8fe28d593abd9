// Runs the installer's progress window in a process whose CreateThread
// always fails, the way it does when the system is out of resources: the
// window must say so and end rather than wait for a worker that never ran.
#include <windows.h>
#include <commctrl.h>

#include "resources/resource.h"
#include "shell/win32/dialogs.h"
#include "shell/win32/progress_dialog.h"

static HANDLE WINAPI FailingCreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID,
                                         DWORD, LPDWORD) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return NULL;
}

// The window's code calls CreateThread through its import slot, named as
// the architecture decorates it. Defined here, it keeps the linker from
// taking kernel32's.
#ifdef _WIN64
#define CREATE_THREAD_SLOT "__imp_CreateThread"
#else
#define CREATE_THREAD_SLOT "__imp__CreateThread@24"
#endif
extern "C" {
void* g_create_thread_slot __asm__(CREATE_THREAD_SLOT) = (void*)FailingCreateThread;
}

int main() {
    g_instance = GetModuleHandleA(NULL);
    InitCommonControls();
    DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_PROGRESS), NULL, ProgressDialogProc, 0);
    return 0;
}
