#include "archive/entry_name.h"

#include <string.h>

#include "archive/path.h"

namespace {

int IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Non-zero when the length bytes at text equal word (lower case) under ASCII
// case folding.
int IsWord(const char* text, size_t length, const char* word)
{
    if (strlen(word) != length)
        return 0;
    for (size_t i = 0; i < length; i++) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c + ('a' - 'A'));
        if (c != word[i])
            return 0;
    }
    return 1;
}

// The digits of COM and LPT ports: Windows also takes the superscripts one
// to three of the Western code page (0xB9, 0xB2, 0xB3) for ports. Names
// are read in the user's code page, so they are refused in every one.
int IsDeviceDigit(char c)
{
    return (c >= '0' && c <= '9') || c == '\xB9' || c == '\xB2' || c == '\xB3';
}

// Windows takes a component whose part before the first dot, without the
// blanks after it, is a device name for the device, whatever follows.
int IsDevice(const char* component, size_t length)
{
    static const char* const devices[] = {"con", "prn", "aux", "nul", "conin$", "conout$", "clock$"};
    size_t base = 0;
    while (base < length && component[base] != '.')
        base++;
    while (base > 0 && component[base - 1] == ' ')
        base--;
    for (size_t i = 0; i < sizeof devices / sizeof devices[0]; i++)
        if (IsWord(component, base, devices[i]))
            return 1;
    return base == 4 && (IsWord(component, 3, "com") || IsWord(component, 3, "lpt")) &&
           IsDeviceDigit(component[3]);
}

int ComponentFault(const char* component, size_t length)
{
    if (length == 0)
        return NAME_EMPTY_COMPONENT;
    if (length >= 2 && component[0] == '.' && component[1] == '.')
        return NAME_TWO_DOTS;
    if (component[length - 1] == '.' || component[length - 1] == ' ')
        return NAME_DOT_OR_BLANK_END;
    // A trail byte is part of its character, not one of these.
    for (size_t i = 0; i < length; i += CharacterLength(component + i)) {
        unsigned char c = (unsigned char)component[i];
        if (c < 0x20 || strchr("<>\"|?*", c))
            return NAME_BAD_CHARACTER;
    }
    return IsDevice(component, length) ? NAME_DEVICE : NAME_SAFE;
}

// The fault of the first length bytes of name, component by component,
// split where SplitPath splits.
int PathFault(const char* name, size_t length)
{
    size_t start = 0;
    if (memchr(name, ':', length))
        return NAME_COLON;
    for (;;) {
        size_t end = start;
        while (end < length && !IsSeparator(name[end]))
            end += CharacterLength(name + end);
        if (end > length)
            end = length;
        int fault = ComponentFault(name + start, end - start);
        if (fault != NAME_SAFE || end == length)
            return fault;
        start = end + 1;
    }
}

}  // namespace

int EntryNameFault(const char* name)
{
    char extension[PART_SIZE];
    size_t length = strlen(name);
    int fault = PathFault(name, length);
    if (fault != NAME_SAFE)
        return fault;
    SplitPath(name, 0, 0, 0, extension);
    if (EqualNoCase(extension, ".xxx") && PathFault(name, length - 4) != NAME_SAFE)
        return NAME_BLOCK_DECODES_BADLY;
    return NAME_SAFE;
}

int IsSafeEntryName(const char* name)
{
    return EntryNameFault(name) == NAME_SAFE;
}
