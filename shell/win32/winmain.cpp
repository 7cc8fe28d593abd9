// The installer's entry: names the file that holds the archive and runs the
// progress window until it ends.
#include <windows.h>
#include <string.h>

#include "extract/worker.h"
#include "resources/resource.h"
#include "shell/win32/dialogs.h"
#include "shell/win32/progress_dialog.h"

// The archive read when the command line starts with "X" or "x".
static const char TEST_ARCHIVE_PATH[] = "D:\\_upload\\qv7-hwm.exe";

typedef BOOL(WINAPI* SetDefaultDllDirectoriesProc)(DWORD);
typedef void(WINAPI* InitCommonControlsProc)(void);

// GetProcAddress's result, as the function it is. The detour through a
// plain function pointer keeps -Wcast-function-type quiet.
template <typename Proc>
static Proc LookUp(HMODULE module, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

// Installers are started from download folders, where a DLL planted under a
// system DLL's name may wait. DLLs loaded from here on are searched for in
// the system directory only (where the system offers that: Windows 8, or 7
// with its update), and the common controls, which are no KnownDLL, are
// loaded by their full path instead of being imported.
static void InitControlsSafely(void)
{
    SetDefaultDllDirectoriesProc restrict_search =
        LookUp<SetDefaultDllDirectoriesProc>(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (restrict_search)
        restrict_search(LOAD_LIBRARY_SEARCH_SYSTEM32);

    static const char LIBRARY[] = "\\comctl32.dll";
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length + sizeof LIBRARY > sizeof path)
        return;
    memcpy(path + length, LIBRARY, sizeof LIBRARY);
    HMODULE controls = LoadLibraryA(path);
    if (!controls)
        return;
    InitCommonControlsProc init = LookUp<InitCommonControlsProc>(controls, "InitCommonControls");
    if (init)
        init();
}

// What follows the program's name and the blanks and control characters
// after it. A quoted name ends at its closing quote, even when no blank
// follows.
static const char* ArgumentsOf(const char* command_line)
{
    const unsigned char* at = (const unsigned char*)command_line;
    if (*at == '"') {
        do
            at++;
        while (*at && *at != '"');
        if (*at == '"')
            at++;
    } else {
        while (*at > ' ')
            at++;
    }
    while (*at && *at <= ' ')
        at++;
    return (const char*)at;
}

// Returns 0 whatever became of the installation.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int)
{
    g_instance = instance;
    // A path cut short could name some other file; an empty one fails to open.
    if (!SysGetModulePath(g_archive_path, sizeof g_archive_path))
        g_archive_path[0] = '\0';
    if (arguments[0] == 'X' || arguments[0] == 'x')
        memcpy(g_archive_path, TEST_ARCHIVE_PATH, sizeof TEST_ARCHIVE_PATH);
    InitControlsSafely();
    DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_PROGRESS), NULL, ProgressDialogProc, 0);
    return 0;
}

// The process's entry (the linker's default name for a window program). No
// C run-time start-up runs before it: no static constructors, no argument
// vectors, no handlers; the process ends with WinMain's result.
extern "C" void WinMainCRTStartup(void)
{
    ExitProcess(WinMain(GetModuleHandleA(NULL), NULL, (LPSTR)ArgumentsOf(GetCommandLineA()), SW_SHOWDEFAULT));
}
