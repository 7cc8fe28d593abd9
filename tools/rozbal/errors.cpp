#include "tools/rozbal/errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

std::string SystemMessage(const std::string& what, int error)
{
    return what + ": " + std::strerror(error);
}

std::string ReadInputFile(const std::string& what, const std::filesystem::path& path)
{
    std::string name = "cannot read " + what + " " + path.string();
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw InputError(name + ": it is a directory");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw InputError(SystemMessage(name, errno));
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad())
        throw InputError(name);
    return bytes.str();
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

std::string UnpackTime(uint64_t pieces)
{
    uint64_t tenths = pieces;  // 100 ms each
    char text[64];
    if (tenths < 600)
        std::snprintf(text, sizeof text, "%llu.%llu s", static_cast<unsigned long long>(tenths / 10),
                      static_cast<unsigned long long>(tenths % 10));
    else if (tenths < 36000)
        std::snprintf(text, sizeof text, "%llu min %llu s", static_cast<unsigned long long>(tenths / 600),
                      static_cast<unsigned long long>(tenths % 600 / 10));
    else
        std::snprintf(text, sizeof text, "%llu h %llu min", static_cast<unsigned long long>(tenths / 36000),
                      static_cast<unsigned long long>(tenths % 36000 / 600));
    return "at least " + std::string(text) + " (" + Count(pieces, "piece") + ")";
}

void NoteUnpackTime(uint64_t pieces)
{
    if (pieces > 600)
        Note("warning: the installer pauses 100 ms before each piece: unpacking takes " + UnpackTime(pieces));
}
