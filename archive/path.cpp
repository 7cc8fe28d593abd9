#include "archive/path.h"

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
    for (const char* c = rest; *c; c += CharacterLength(c)) {
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

// A trail byte may be 0x5C, the code of '\\', or 0x7C, '|', without being
// either.
size_t CharacterLength(const char* text)
{
    return SysIsLeadByte((unsigned char)text[0]) && text[1] ? 2 : 1;
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
