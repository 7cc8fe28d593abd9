#include "extract/helpers.h"

#include <string.h>

#include "platform/platform.h"

namespace {

int IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Copies the count characters at text into part as a string, cut to fit
// PART_SIZE. part may be null.
void CopyPart(char* part, const char* text, size_t count)
{
    if (!part)
        return;
    if (count >= PART_SIZE)
        count = PART_SIZE - 1;
    memcpy(part, text, count);
    part[count] = '\0';
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

void SplitPath(const char* path, char* drive, char* directory, char* base, char* extension)
{
    const char* rest = path;
    if (path[0] && path[1] == ':')
        rest = path + 2;
    if (drive) {
        memcpy(drive, path, (size_t)(rest - path));
        drive[rest - path] = '\0';
    }
    const char* name = rest;  // just after the last separator
    const char* dot = NULL;   // the last dot after it
    for (const char* c = rest; *c; c++) {
        if (IsSeparator(*c)) {
            name = c + 1;
            dot = NULL;
        } else if (*c == '.') {
            dot = c;
        }
    }
    const char* end = name + strlen(name);
    if (!dot)
        dot = end;
    CopyPart(directory, rest, (size_t)(name - rest));
    CopyPart(base, name, (size_t)(dot - name));
    CopyPart(extension, dot, (size_t)(end - dot));
}

int EqualNoCase(const char* a, const char* b)
{
    for (;; a++, b++) {
        unsigned char x = (unsigned char)*a, y = (unsigned char)*b;
        if (x >= 'A' && x <= 'Z')
            x = (unsigned char)(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = (unsigned char)(y - 'A' + 'a');
        if (x != y)
            return 0;
        if (!x)
            return 1;
    }
}

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

// CreateProcessA may write into the command line, so it gets a copy.
int RunAndWait(const char* command_line)
{
    char copy[SYS_PATH_SIZE];
    if (CopyPath(copy, command_line) < 0)
        return 0;
    return SysRunAndWait(copy);
}
