#include "fuzz/temp_input.h"

#include <stdio.h>
#include <stdlib.h>

#include <filesystem>

namespace {

// A plain array: it outlives every static destructor, so the exit handler
// can still name the directory.
char g_directory[4096];

void RemoveDirectory() { std::filesystem::remove_all(g_directory); }

const char* Directory()
{
    if (!g_directory[0]) {
        std::string pattern = (std::filesystem::temp_directory_path() / "rozbal-fuzz-XXXXXX").string();
        if (pattern.size() >= sizeof g_directory || !mkdtemp(pattern.data()))
            abort();
        pattern.copy(g_directory, pattern.size());
        atexit(RemoveDirectory);
    }
    return g_directory;
}

}  // namespace

std::string TempPath(const char* name) { return std::string(Directory()) + "/" + name; }

std::string WriteTempFile(const char* name, const uint8_t* data, size_t size)
{
    std::string path = TempPath(name);
    FILE* file = fopen(path.c_str(), "wb");
    if (!file || fwrite(data, 1, size, file) != size || fclose(file) != 0)
        abort();
    return path;
}
