// The installer's system services on POSIX systems. Paths arrive in the
// installer's backslash form and are mapped to '/' before every call, so a
// path that mixes both separators names the same file. Descriptors are opened
// close-on-exec: like the Windows handles they stand for, they are not
// inheritable, so a started program never holds our files open.
#include "platform/platform.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace {

enum { MAX_ARGUMENTS = 64 };

// Copies path into native (SYS_PATH_SIZE bytes) with '\' turned into '/'.
// Returns 0 when it does not fit.
int MapPath(const char* path, char* native)
{
    size_t length = strlen(path);
    if (length >= SYS_PATH_SIZE)
        return 0;
    for (size_t i = 0; i <= length; i++)
        native[i] = path[i] == '\\' ? '/' : path[i];
    return 1;
}

// Opens path with flags; a directory is refused, as the Windows opens do.
SysFile OpenMapped(const char* path, int flags)
{
    char native[SYS_PATH_SIZE];
    struct stat info;
    int fd;
    if (!MapPath(path, native))
        return SYS_NO_FILE;
    do
        fd = open(native, flags | O_CLOEXEC, 0644);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return SYS_NO_FILE;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(fd);
        return SYS_NO_FILE;
    }
    return fd;
}

// Moves up to count bytes, retrying after short transfers and signals.
// Stops at end of file or on an error; *failed says which.
uint32_t ReadAll(SysFile file, void* buffer, uint32_t count, int* failed)
{
    uint32_t done = 0;
    *failed = 0;
    while (done < count) {
        ssize_t n = read((int)file, (char*)buffer + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            *failed = 1;
        if (n <= 0)
            break;
        done += (uint32_t)n;
    }
    return done;
}

// The error of the last write that failed, until SysTakeWriteError.
uint32_t g_write_error;

uint32_t WriteAll(SysFile file, const void* buffer, uint32_t count, int* failed)
{
    uint32_t done = 0;
    *failed = 0;
    while (done < count) {
        ssize_t n = write((int)file, (const char*)buffer + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *failed = 1;
            if (n < 0)
                g_write_error = (uint32_t)errno;
            break;
        }
        done += (uint32_t)n;
    }
    return done;
}

// Empties the directory open as fd, never following a symbolic link: only
// what opens with O_NOFOLLOW | O_DIRECTORY is descended into, everything else
// is unlinked as it is. Takes ownership of fd. Passes repeat while they
// remove something, since entries removed during a scan may hide others.
void DeleteContents(int fd)
{
    DIR* dir = fdopendir(fd);
    int removed = 1;
    if (!dir) {
        close(fd);
        return;
    }
    while (removed) {
        struct dirent* entry;
        removed = 0;
        rewinddir(dir);
        while ((entry = readdir(dir)) != NULL) {
            const char* name = entry->d_name;
            if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
                continue;
            int child = openat(dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0) {
                DeleteContents(child);
                if (unlinkat(dirfd(dir), name, AT_REMOVEDIR) == 0)
                    removed = 1;
            } else if (unlinkat(dirfd(dir), name, 0) == 0) {
                removed = 1;
            }
        }
    }
    closedir(dir);
}

int IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Splits rest in place into arguments at blanks; double quotes group blanks
// into one argument and are dropped. Returns the count, or -1 when there
// are more than room.
int SplitArguments(char* rest, char** arguments, int room)
{
    int count = 0;
    char* in = rest;
    while (*in) {
        while (IsBlank(*in))
            in++;
        if (!*in)
            break;
        if (count == room)
            return -1;
        char* out = in;
        arguments[count++] = out;
        int quoted = 0;
        for (; *in && (quoted || !IsBlank(*in)); in++) {
            if (*in == '"')
                quoted = !quoted;
            else
                *out++ = *in;
        }
        char* next = *in ? in + 1 : in;
        *out = '\0';
        in = next;
    }
    return count;
}

// Starts program in directory with arguments split at blanks, double quotes
// grouping; argv[0] is the program. Non-zero when it started.
int Spawn(const char* program, const char* arguments, const char* directory, SysProcess* process)
{
    char native[SYS_PATH_SIZE];
    char rest[SYS_PATH_SIZE];
    char where[SYS_PATH_SIZE];
    char* argv[MAX_ARGUMENTS + 2];
    posix_spawn_file_actions_t actions;
    pid_t pid;
    if (!MapPath(program, native) || !MapPath(arguments, rest) || !MapPath(directory, where))
        return 0;
    argv[0] = native;
    int count = SplitArguments(rest, argv + 1, MAX_ARGUMENTS);
    if (count < 0 || posix_spawn_file_actions_init(&actions) != 0)
        return 0;
    argv[count + 1] = NULL;
    int started = posix_spawn_file_actions_addchdir_np(&actions, where) == 0 &&
                  posix_spawn(&pid, native, &actions, NULL, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (started)
        *process = pid;
    return started;
}

}  // namespace

SysFile SysOpenFile(const char* path, int mode)
{
    switch (mode) {
    case SYS_OPEN_READ: return OpenMapped(path, O_RDONLY);
    case SYS_OPEN_CREATE: return OpenMapped(path, O_WRONLY | O_CREAT | O_TRUNC);
    case SYS_OPEN_UPDATE: return OpenMapped(path, O_RDWR);
    }
    return SYS_NO_FILE;
}

int32_t SysSeek(SysFile file, int32_t offset, int origin)
{
    int whence = origin == SYS_SEEK_END ? SEEK_END : origin == SYS_SEEK_CURRENT ? SEEK_CUR : SEEK_SET;
    off_t position = lseek((int)file, offset, whence);
    if (position < 0 || position > INT32_MAX)
        return -1;
    return (int32_t)position;
}

uint32_t SysRead(SysFile file, void* buffer, uint32_t count)
{
    int failed;
    return ReadAll(file, buffer, count, &failed);
}

uint32_t SysTakeWriteError(void)
{
    uint32_t error = g_write_error;
    g_write_error = 0;
    return error;
}

uint32_t SysWrite(SysFile file, const void* buffer, uint32_t count)
{
    int failed;
    return WriteAll(file, buffer, count, &failed);
}

void SysClose(SysFile file)
{
    if (file != SYS_NO_FILE)
        close((int)file);
}

// POSIX has no mandatory sharing modes; these are plain opens.
SysFile SysOpenExclusive(const char* path)
{
    return OpenMapped(path, O_RDONLY);
}

SysFile SysCreateExclusive(const char* path)
{
    return OpenMapped(path, O_WRONLY | O_CREAT | O_TRUNC);
}

int SysReadFile(SysFile file, void* buffer, uint32_t count, uint32_t* moved)
{
    int failed;
    *moved = ReadAll(file, buffer, count, &failed);
    return !failed;
}

int SysWriteFile(SysFile file, const void* buffer, uint32_t count, uint32_t* moved)
{
    int failed;
    *moved = WriteAll(file, buffer, count, &failed);
    return !failed;
}

int SysDeleteFile(const char* path)
{
    char native[SYS_PATH_SIZE];
    return MapPath(path, native) && unlink(native) == 0;
}

int SysSetCurrentDirectory(const char* directory)
{
    char native[SYS_PATH_SIZE];
    return MapPath(directory, native) && chdir(native) == 0;
}

int SysCreateDirectory(const char* directory)
{
    char native[SYS_PATH_SIZE];
    return MapPath(directory, native) && mkdir(native, 0755) == 0;
}

// The top path itself is not followed either: a link there is removed as a
// link, a file as a file.
void SysDeleteTree(const char* directory)
{
    char native[SYS_PATH_SIZE];
    if (!MapPath(directory, native))
        return;
    int fd = open(native, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        unlink(native);
        return;
    }
    DeleteContents(fd);
    rmdir(native);
}

// $TMPDIR or /tmp, with '/' separators and ending in '/'; the Sys calls take
// it as it is, and names joined to it with backslashes map back cleanly.
uint32_t SysGetTempPath(char* buffer, uint32_t size)
{
    const char* directory = getenv("TMPDIR");
    if (!directory || !*directory)
        directory = "/tmp";
    size_t length = strlen(directory);
    int slash = directory[length - 1] != '/';
    if (length + slash >= size)
        return 0;
    memcpy(buffer, directory, length);
    if (slash)
        buffer[length++] = '/';
    buffer[length] = '\0';
    return (uint32_t)length;
}

// Names are prefix, up to four hex digits and ".tmp"; the numbers are tried
// in turn from a start that differs between processes and calls, and the
// file is created with O_EXCL so that an existing name is never taken.
int SysGetTempFileName(const char* directory, const char* prefix, char* path)
{
    static unsigned counter;
    char native[SYS_PATH_SIZE];
    size_t length = strlen(directory);
    const char* separator =
        length && directory[length - 1] != '\\' && directory[length - 1] != '/' ? "/" : "";
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    unsigned start = (unsigned)(now.tv_nsec / 1000) ^ ((unsigned)getpid() << 4) ^ counter++;
    for (unsigned i = 0; i < 0xFFFF; i++) {
        unsigned number = (start + i) % 0xFFFF + 1;
        int n = snprintf(path, SYS_PATH_SIZE, "%s%s%.3s%x.tmp", directory, separator, prefix, number);
        if (n < 0 || n >= SYS_PATH_SIZE || !MapPath(path, native))
            return 0;
        int fd = open(native, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            close(fd);
            return 1;
        }
        if (errno != EEXIST)
            return 0;
    }
    return 0;
}

uint32_t SysGetModulePath(char* buffer, uint32_t size)
{
    if (size == 0)
        return 0;
    ssize_t length = readlink("/proc/self/exe", buffer, size);
    if (length <= 0 || (size_t)length >= size)
        return 0;
    buffer[length] = '\0';
    return (uint32_t)length;
}

int SysStartProcess(const char* program, char* command_line, const char* directory, SysProcess* process)
{
    const char* arguments = SysArgumentsAfter(program, command_line);
    return arguments && Spawn(program, arguments, directory, process) ? SYS_STARTED : SYS_START_FAILED;
}

// Nothing to elevate: a plain start.
int SysStartElevated(const char* program, const char* arguments, const char* directory, SysProcess* process)
{
    return Spawn(program, arguments, directory, process);
}

void SysWaitProcess(SysProcess process)
{
    int status;
    while (waitpid((pid_t)process, &status, 0) < 0 && errno == EINTR) {}
}

// The lead-byte ranges of the double-byte ANSI code pages: Japanese (932),
// Simplified Chinese (936), Korean (949) and Traditional Chinese (950).
int SysIsLeadByte(unsigned char byte)
{
    if (byte < 0x81)
        return 0;  // below every range: no need to look at the environment
    const char* code_page = getenv("ROZBAL_ANSI_CODE_PAGE");
    switch (code_page ? atoi(code_page) : 1250) {
    case 932: return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950: return byte >= 0x81 && byte <= 0xFE;
    default: return 0;
    }
}

void SysSleep(uint32_t milliseconds)
{
    struct timespec left = {(time_t)(milliseconds / 1000), (long)(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {}
}

void* SysAlloc(uint32_t size)
{
    return malloc(size);
}

void SysFree(void* block)
{
    free(block);
}
