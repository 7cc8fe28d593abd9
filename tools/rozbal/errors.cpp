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
