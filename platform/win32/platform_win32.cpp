// The installer's system services on Windows: the kernel and shell calls
// themselves, with the flags the installer relies on. Handles of both file
// families travel as SysFile; a HANDLE value fits the HFILE the old calls
// take, as handles are 32-bit significant on 64-bit Windows too.
#include "platform/platform.h"

#include <string.h>
#include <windows.h>
#include <shellapi.h>

// Not in every MinGW's headers: Windows Vista's answer to a program whose
// manifest asks for administrator rights.
#ifndef ERROR_ELEVATION_REQUIRED
#define ERROR_ELEVATION_REQUIRED 740
#endif

namespace {

HFILE AsHfile(SysFile file)
{
    return (HFILE)file;
}
HANDLE AsHandle(SysFile file)
{
    return (HANDLE)file;
}

SysFile FromHandle(HANDLE handle)
{
    if (handle == INVALID_HANDLE_VALUE)
        return SYS_NO_FILE;
    return (SysFile)handle;
}

// OpenFile keeps the path in an OFSTRUCT of OFS_MAXPATHNAME (128) bytes and
// fails on anything longer, although paths reach 259 characters. Such paths
// are opened with CreateFileA to the same effect: the sharing of OpenFile's
// compatibility mode, create truncates, update needs an existing file.
SysFile OpenLongPath(const char* path, int mode)
{
    DWORD access = GENERIC_READ, disposition = OPEN_EXISTING;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    if (mode == SYS_OPEN_CREATE) {
        access = GENERIC_WRITE;
        disposition = CREATE_ALWAYS;
    } else if (mode == SYS_OPEN_UPDATE) {
        access = GENERIC_READ | GENERIC_WRITE;
    }
    return FromHandle(CreateFileA(path, access, share, NULL, disposition, FILE_ATTRIBUTE_NORMAL, NULL));
}

}  // namespace

SysFile SysOpenFile(const char* path, int mode)
{
    static const UINT styles[] = {OF_READ, OF_CREATE | OF_WRITE, OF_READWRITE};
    OFSTRUCT info;
    if (mode < SYS_OPEN_READ || mode > SYS_OPEN_UPDATE)
        return SYS_NO_FILE;
    if (strlen(path) >= OFS_MAXPATHNAME)
        return OpenLongPath(path, mode);
    HFILE file = OpenFile(path, &info, styles[mode]);
    if (file == HFILE_ERROR)
        return SYS_NO_FILE;
    return (SysFile)file;
}

int32_t SysSeek(SysFile file, int32_t offset, int origin)
{
    int method = origin == SYS_SEEK_END ? FILE_END : origin == SYS_SEEK_CURRENT ? FILE_CURRENT : FILE_BEGIN;
    return _llseek(AsHfile(file), offset, method);
}

// _lread and _lwrite report failure as HFILE_ERROR, which is no count: it
// becomes 0 bytes moved.
uint32_t SysRead(SysFile file, void* buffer, uint32_t count)
{
    UINT moved = _lread(AsHfile(file), buffer, count);
    return moved == (UINT)HFILE_ERROR ? 0 : moved;
}

// The error of the last write that failed, until SysTakeWriteError.
static DWORD g_write_error;

// Keeps the system's error when ok is 0; returns ok.
static BOOL NoteWrite(BOOL ok)
{
    if (!ok)
        g_write_error = GetLastError();
    return ok;
}

uint32_t SysTakeWriteError(void)
{
    DWORD error = g_write_error;
    g_write_error = 0;
    return error;
}

uint32_t SysWrite(SysFile file, const void* buffer, uint32_t count)
{
    UINT moved = _lwrite(AsHfile(file), (LPCCH)buffer, count);
    return NoteWrite(moved != (UINT)HFILE_ERROR) ? moved : 0;
}

// CloseHandle serves the handles of OpenFile too (what _lclose does).
void SysClose(SysFile file)
{
    if (file != SYS_NO_FILE)
        CloseHandle(AsHandle(file));
}

SysFile SysOpenExclusive(const char* path)
{
    return FromHandle(CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
}

SysFile SysCreateExclusive(const char* path)
{
    return FromHandle(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
}

int SysReadFile(SysFile file, void* buffer, uint32_t count, uint32_t* moved)
{
    DWORD done = 0;
    BOOL ok = ReadFile(AsHandle(file), buffer, count, &done, NULL);
    *moved = done;
    return ok != 0;
}

int SysWriteFile(SysFile file, const void* buffer, uint32_t count, uint32_t* moved)
{
    DWORD done = 0;
    BOOL ok = NoteWrite(WriteFile(AsHandle(file), buffer, count, &done, NULL));
    *moved = done;
    return ok != 0;
}

int SysDeleteFile(const char* path)
{
    return DeleteFileA(path) != 0;
}

int SysSetCurrentDirectory(const char* directory)
{
    return SetCurrentDirectoryA(directory) != 0;
}

int SysCreateDirectory(const char* directory)
{
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, NULL, TRUE};
    return CreateDirectoryA(directory, &attributes) != 0;
}

void SysDeleteTree(const char* directory)
{
    char from[SYS_PATH_SIZE + 1];  // the source list ends with two NULs
    size_t length = strlen(directory);
    if (length >= SYS_PATH_SIZE)
        return;
    memcpy(from, directory, length);
    from[length] = from[length + 1] = '\0';
    SHFILEOPSTRUCTA operation;
    memset(&operation, 0, sizeof operation);
    operation.wFunc = FO_DELETE;
    operation.pFrom = from;
    // FOF_NOERRORUI as well: the delete also runs at logoff, while the setup
    // program may still hold files, and an error box then helps nobody.
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    SHFileOperationA(&operation);
}

uint32_t SysGetTempPath(char* buffer, uint32_t size)
{
    DWORD length = GetTempPathA(size, buffer);
    return length < size ? length : 0;
}

int SysGetTempFileName(const char* directory, const char* prefix, char* path)
{
    return GetTempFileNameA(directory, prefix, 0, path) != 0;
}

uint32_t SysGetModulePath(char* buffer, uint32_t size)
{
    DWORD length = GetModuleFileNameA(NULL, buffer, size);
    return length < size ? length : 0;
}

int SysStartProcess(const char* program, char* command_line, const char* directory, SysProcess* process)
{
    STARTUPINFOA startup;
    PROCESS_INFORMATION started;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    if (!CreateProcessA(program, command_line, NULL, NULL, TRUE, NORMAL_PRIORITY_CLASS, NULL, directory,
                        &startup, &started))
        return GetLastError() == ERROR_ELEVATION_REQUIRED ? SYS_START_NEEDS_ELEVATION : SYS_START_FAILED;
    CloseHandle(started.hThread);
    *process = (SysProcess)started.hProcess;
    return SYS_STARTED;
}

// A declined prompt fails with ERROR_CANCELLED. NOASYNC: the call must be
// done with the process before it returns, the worker waits on it at once.
int SysStartElevated(const char* program, const char* arguments, const char* directory, SysProcess* process)
{
    SHELLEXECUTEINFOA info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    info.lpVerb = "runas";
    info.lpFile = program;
    info.lpParameters = arguments;
    info.lpDirectory = directory;
    info.nShow = SW_SHOW;
    if (!ShellExecuteExA(&info) || !info.hProcess)
        return 0;
    *process = (SysProcess)info.hProcess;
    return 1;
}

void SysWaitProcess(SysProcess process)
{
    WaitForSingleObject((HANDLE)process, INFINITE);
    CloseHandle((HANDLE)process);
}

int SysIsLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte);
}

void SysSleep(uint32_t milliseconds)
{
    Sleep(milliseconds);
}

void* SysAlloc(uint32_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void SysFree(void* block)
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}
