// The operating-system services the installer's logic leans on. archive/ and
// extract/ reach the system only through these functions; win32/ makes the
// kernel and shell calls with the flags the installer relies on, posix/ is
// our own layer in their place (backslash paths are mapped to '/').
//
// Every function reports success as non-zero and failure as 0, except file
// opens, which return SYS_NO_FILE on failure.
#pragma once

#include <stdint.h>

typedef intptr_t SysFile;
enum { SYS_NO_FILE = -1 };

// Modes of SysOpenFile (OpenFile's OF_READ, OF_CREATE | OF_WRITE, OF_READWRITE).
enum {
    SYS_OPEN_READ = 0,    // existing file, read only; other readers not excluded
    SYS_OPEN_CREATE = 1,  // created, or truncated if it exists; write only
    SYS_OPEN_UPDATE = 2,  // existing file, read and write
};

// Origins of SysSeek.
enum { SYS_SEEK_START = 0, SYS_SEEK_CURRENT = 1, SYS_SEEK_END = 2 };

enum { SYS_PATH_SIZE = 260 };  // 259 characters and a NUL

// Opens path in one of the SYS_OPEN_ modes (OpenFile). Returns the handle or
// SYS_NO_FILE.
SysFile SysOpenFile(const char* path, int mode);

// Moves the position of file to offset from origin (_llseek). Returns the new
// position, or -1 on failure.
int32_t SysSeek(SysFile file, int32_t offset, int origin);

// Reads / writes up to count bytes (_lread / _lwrite). Returns the number of
// bytes moved; fewer than asked means end of file or failure.
uint32_t SysRead(SysFile file, void* buffer, uint32_t count);
uint32_t SysWrite(SysFile file, const void* buffer, uint32_t count);

// The system's error (errno, GetLastError) of the last SysWrite or
// SysWriteFile that failed, 0 when none has failed since the previous call,
// which it forgets. A failed write is the machine's fault (a full disk) or
// the archive's (a piece for a file opened to be read); only this tells.
uint32_t SysTakeWriteError(void);

// Releases a handle from any of the opens here (_lclose / CloseHandle).
void SysClose(SysFile file);

// Opens an existing file for reading with no sharing at all (CreateFileA,
// GENERIC_READ, share mode 0, OPEN_EXISTING). Returns the handle or SYS_NO_FILE.
SysFile SysOpenExclusive(const char* path);

// Creates or empties a file for writing with no sharing (CreateFileA,
// GENERIC_WRITE, share mode 0, CREATE_ALWAYS). Returns the handle or SYS_NO_FILE.
SysFile SysCreateExclusive(const char* path);

// One read / write call on a handle of SysOpenExclusive / SysCreateExclusive
// (ReadFile / WriteFile). *moved receives the bytes delivered or written.
// Returns the call's own result: non-zero when it did not fail.
int SysReadFile(SysFile file, void* buffer, uint32_t count, uint32_t* moved);
int SysWriteFile(SysFile file, const void* buffer, uint32_t count, uint32_t* moved);

// Deletes a file (DeleteFileA). Returns non-zero when it is gone.
int SysDeleteFile(const char* path);

// Makes directory the process's current directory (SetCurrentDirectoryA).
// Succeeds only when it exists.
int SysSetCurrentDirectory(const char* directory);

// Creates one directory level (CreateDirectoryA with inheritable security
// attributes and no descriptor). Fails when the parent is missing or the
// directory exists.
int SysCreateDirectory(const char* directory);

// Deletes directory and everything in it without a question, without an
// error box and not into a recycle bin (SHFileOperationA, FO_DELETE,
// FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI). The outcome is not
// reported. The POSIX layer never follows a symbolic link.
void SysDeleteTree(const char* directory);

// Writes the user's temporary directory, ending with a separator (a
// backslash on Windows, '/' on POSIX), into buffer (GetTempPathA). Returns
// its length, 0 on failure or when it does not fit.
uint32_t SysGetTempPath(char* buffer, uint32_t size);

// Creates a new, empty, uniquely named file with prefix (3 characters) in
// directory and writes its full path into path, SYS_PATH_SIZE bytes
// (GetTempFileNameA with unique number 0). Returns non-zero on success.
int SysGetTempFileName(const char* directory, const char* prefix, char* path);

// Writes the full path of the running executable into buffer
// (GetModuleFileNameA). Returns its length, 0 on failure.
uint32_t SysGetModulePath(char* buffer, uint32_t size);

// Non-zero when byte is the first byte of a double-byte character in the
// ANSI code page (IsDBCSLeadByte); always 0 in single-byte code pages such
// as 1250. The byte after a lead byte is part of the same character, even
// when it looks like '\\' or '.'. POSIX systems have no ANSI code page:
// ROZBAL_ANSI_CODE_PAGE in the environment stands in for it, 1250 unset.
int SysIsLeadByte(unsigned char byte);

typedef intptr_t SysProcess;

// Results of SysStartProcess.
enum {
    SYS_START_FAILED = 0,
    SYS_STARTED = 1,
    SYS_START_NEEDS_ELEVATION = 2,  // the program must run as administrator
};

// The arguments in command_line, which begins with program's text, in
// double quotes or not, then a blank or its end: what follows, leading
// blanks skipped. Null when command_line does not begin so.
const char* SysArgumentsAfter(const char* program, const char* command_line);

// Starts program, a full path that no search is made for, with command_line
// as the text it gets, shown normally, in directory as its current
// directory, inheriting the environment and handles (CreateProcessA with the
// explicit application name and lpCurrentDirectory, STARTF_USESHOWWINDOW /
// SW_SHOW). command_line begins with program (SysArgumentsAfter); Windows
// hands the program the whole line, POSIX the arguments split at blanks,
// double quotes grouping. command_line may be modified during the call.
// Returns SYS_STARTED with the process in *process, SYS_START_NEEDS_ELEVATION
// when the system refuses it to a process without administrator rights
// (ERROR_ELEVATION_REQUIRED), SYS_START_FAILED otherwise.
int SysStartProcess(const char* program, char* command_line, const char* directory, SysProcess* process);

// Starts program with arguments as administrator, in directory, the system
// asking the user (ShellExecuteExA, verb "runas", lpDirectory,
// SEE_MASK_NOCLOSEPROCESS). Returns non-zero with the process in *process; 0
// when it could not start or the user declined.
int SysStartElevated(const char* program, const char* arguments, const char* directory, SysProcess* process);

// Waits without a time limit until process has ended, then releases it.
void SysWaitProcess(SysProcess process);

// Pauses the calling thread (Sleep).
void SysSleep(uint32_t milliseconds);

// Obtains size bytes of memory, uninitialised (the process heap). Returns
// the block, or 0 when there is not that much.
void* SysAlloc(uint32_t size);

// Releases a block of SysAlloc; 0 is ignored.
void SysFree(void* block);
