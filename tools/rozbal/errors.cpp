#include "tools/rozbal/errors.h"

#include <cstdio>
#include <cstring>

std::string SystemMessage(const std::string& what, int error)
{
    return what + ": " + std::strerror(error);
}

void Note(const std::string& text)
{
    std::fprintf(stderr, "rozbal: %s\n", text.c_str());
}

void NoteFileCount(uint64_t files)
{
    if (files > 0xFFFF)
        Note("warning: " + std::to_string(files) +
             " files: the installer's progress bar counts only the low 16 bits of the file count");
}

std::string Count(uint64_t count, const std::string& noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}
