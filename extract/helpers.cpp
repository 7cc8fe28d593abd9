#include "extract/helpers.h"

#include <string.h>

#include "extract/port.h"
#include "platform/platform.h"

namespace {

int IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Drive, directory and an added separator always fit a path buffer.
static_assert(PART_DRIVE_SIZE - 1 + PART_SIZE - 1 + 2 <= SYS_PATH_SIZE, "joined parts fit");

// Writes the drive and directory of path into joined (SYS_PATH_SIZE bytes),
// ending with a separator. Returns 0 when path has neither.
int DirectoryOf(const char* path, char* joined)
{
    char drive[PART_DRIVE_SIZE];
    char directory[PART_SIZE];
    SplitPath(path, drive, directory, NULL, NULL);
    size_t drive_length = strlen(drive), length = drive_length + strlen(directory);
    if (length == 0)
        return 0;
    memcpy(joined, drive, drive_length);
    memcpy(joined + drive_length, directory, length - drive_length + 1);
    if (!IsSeparator(joined[length - 1])) {
        joined[length++] = '\\';
        joined[length] = '\0';
    }
    return 1;
}

// Copies text into buffer (SYS_PATH_SIZE bytes). Returns its length, or -1
// when it does not fit.
int CopyPath(char* buffer, const char* text)
{
    size_t length = strlen(text);
    if (length >= SYS_PATH_SIZE)
        return -1;
    memcpy(buffer, text, length + 1);
    return (int)length;
}

}  // namespace

// A name with neither drive nor directory lies in the current directory,
// which exists: the current directory is left as it is rather than moved to
// the root that a lone backslash would name.
int EnsureDirectory(const char* path)
{
    char joined[SYS_PATH_SIZE];
    if (!DirectoryOf(path, joined))
        return 1;
    if (SysSetCurrentDirectory(joined))
        return 1;
    return SysCreateDirectory(joined);
}

// The current directory is usually inside the tree (EnsureDirectory leaves it
// there), and Windows will not delete a directory that is current: moving to
// the parent first lets the whole tree go.
void RemoveDirectoryTree(const char* path)
{
    char copy[SYS_PATH_SIZE];
    char parent[SYS_PATH_SIZE];
    int length = CopyPath(copy, path);
    if (length < 0)
        return;
    if (length > 0 && IsSeparator(copy[length - 1]))
        copy[--length] = '\0';
    if (length < 4)
        return;
    if (DirectoryOf(copy, parent))
        SysSetCurrentDirectory(parent);
    SysDeleteTree(copy);
}

// CreateProcessA may write into the command line, so it gets a copy; the
// arguments are read from the caller's text.
int StartProgram(const char* program, const char* command_line, const char* directory,
                 SysProcess* process)
{
    char copy[SYS_PATH_SIZE];
    const char* arguments = SysArgumentsAfter(program, command_line);
    if (!arguments || CopyPath(copy, command_line) < 0)
        return 0;
    int started = StartProcess(program, copy, directory, process);
    if (started == SYS_START_NEEDS_ELEVATION)
        started = StartElevated(program, arguments, directory, process);
    return started == SYS_STARTED;
}
