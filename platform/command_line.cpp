// Where a command line's program ends and its arguments begin: one rule for
// the starts of both systems.
#include "platform/platform.h"

#include <string.h>

static int IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

const char* SysArgumentsAfter(const char* program, const char* command_line)
{
    size_t length = strlen(program);
    const char* at = command_line;
    if (at[0] == '"' && strncmp(at + 1, program, length) == 0 && at[length + 1] == '"')
        at += length + 2;
    else if (strncmp(at, program, length) == 0)
        at += length;
    else
        return NULL;
    if (*at && !IsBlank(*at))
        return NULL;
    while (IsBlank(*at))
        at++;
    return at;
}
