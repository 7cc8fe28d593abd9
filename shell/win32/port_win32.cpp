// The worker's port on Windows: window messages to the progress window,
// message boxes and the password prompt owned by it, and the system's own
// pause, starts and delete.
#include "extract/port.h"

#include "resources/resource.h"
#include "shell/win32/dialogs.h"

HINSTANCE g_instance;

void SendCommand(WindowRef window, int command, intptr_t argument)
{
    SendMessageA((HWND)window, WM_COMMAND, MAKEWPARAM(command, 0), (LPARAM)argument);
}

void PostCommand(WindowRef window, int command, intptr_t argument)
{
    PostMessageA((HWND)window, WM_COMMAND, MAKEWPARAM(command, 0), (LPARAM)argument);
}

int ShowMessageBox(WindowRef window, const char* text, const char* caption, unsigned style)
{
    return MessageBoxA((HWND)window, text, caption, style);
}

int AskPassword(WindowRef window, char* buffer)
{
    return (int)DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_PASSWORD), (HWND)window, PasswordDialogProc,
                                (LPARAM)buffer);
}

int LoadText(int id, char* buffer, int size)
{
    return LoadStringA(g_instance, (UINT)id, buffer, size);
}

void PauseWorker(uint32_t milliseconds)
{
    SysSleep(milliseconds);
}

int StartProcess(const char* program, char* command_line, const char* directory, SysProcess* process)
{
    return SysStartProcess(program, command_line, directory, process);
}

int StartElevated(const char* program, const char* arguments, const char* directory, SysProcess* process)
{
    return SysStartElevated(program, arguments, directory, process);
}

void WaitProcess(SysProcess process)
{
    SysWaitProcess(process);
}

int DeleteDecodedFile(const char* path)
{
    return SysDeleteFile(path);
}
