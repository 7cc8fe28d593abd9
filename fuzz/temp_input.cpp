#include "fuzz/temp_input.h"

#include <stdio.h>
#include <stdlib.h>

#include "tests/support/temp_dir.h"

std::string TempPath(const char* name)
{
    // Made at the first input, removed at exit.
    static const TempDir directory;
    return (directory / name).string();
}

std::string WriteTempFile(const char* name, const uint8_t* data, size_t size)
{
    std::string path = TempPath(name);
    FILE* file = fopen(path.c_str(), "wb");
    if (!file || fwrite(data, 1, size, file) != size || fclose(file) != 0)
        abort();
    return path;
}
