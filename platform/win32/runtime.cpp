// The few C library functions the stub's code and zlib call, and those the
// compiler emits for copies and clears of its own (memcpy, memset, memmove,
// memcmp): the stub links no C run-time. Only the stub links this file; the
// Windows test programs keep their C run-time.
//
// Plain byte loops, for size: the most they carry is zlib's copy of each
// decoded block into its window, well below the cost of decoding it. This
// file is compiled with -fno-tree-loop-distribute-patterns, or the compiler
// would turn the loops back into calls of themselves.
#include <stddef.h>

#include "platform/platform.h"

extern "C" {

void* memcpy(void* to, const void* from, size_t count)
{
    unsigned char* out = (unsigned char*)to;
    const unsigned char* in = (const unsigned char*)from;
    while (count--)
        *out++ = *in++;
    return to;
}

void* memmove(void* to, const void* from, size_t count)
{
    unsigned char* out = (unsigned char*)to;
    const unsigned char* in = (const unsigned char*)from;
    if (out <= in || out >= in + count)
        return memcpy(to, from, count);
    while (count--)
        out[count] = in[count];
    return to;
}

void* memset(void* to, int value, size_t count)
{
    unsigned char* out = (unsigned char*)to;
    while (count--)
        *out++ = (unsigned char)value;
    return to;
}

int memcmp(const void* first, const void* second, size_t count)
{
    const unsigned char* a = (const unsigned char*)first;
    const unsigned char* b = (const unsigned char*)second;
    for (; count; count--, a++, b++)
        if (*a != *b)
            return *a - *b;
    return 0;
}

void* memchr(const void* block, int value, size_t count)
{
    const unsigned char* at = (const unsigned char*)block;
    for (; count; count--, at++)
        if (*at == (unsigned char)value)
            return (void*)at;
    return 0;
}

size_t strlen(const char* text)
{
    const char* end = text;
    while (*end)
        end++;
    return (size_t)(end - text);
}

char* strchr(const char* text, int value)
{
    for (;; text++) {
        if (*text == (char)value)
            return (char*)text;
        if (!*text)
            return 0;
    }
}

int strncmp(const char* first, const char* second, size_t count)
{
    const unsigned char* a = (const unsigned char*)first;
    const unsigned char* b = (const unsigned char*)second;
    for (; count; count--, a++, b++)
        if (*a != *b || !*a)
            return *a - *b;
    return 0;
}

int strcmp(const char* first, const char* second)
{
    return strncmp(first, second, (size_t)-1);
}

size_t strcspn(const char* text, const char* stops)
{
    size_t length = 0;
    while (text[length] && !strchr(stops, text[length]))
        length++;
    return length;
}

char* strstr(const char* text, const char* part)
{
    size_t length = strlen(part);
    for (; *text; text++)
        if (strncmp(text, part, length) == 0)
            return (char*)text;
    return length ? 0 : (char*)text;
}

// zlib's inflate state and window: the process heap.
void* malloc(size_t size)
{
    return size <= 0xFFFFFFFFu ? SysAlloc((uint32_t)size) : 0;
}

void free(void* block)
{
    SysFree(block);
}
}
