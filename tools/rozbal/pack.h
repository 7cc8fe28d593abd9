// rozbal pack: a tree appended to the stub as an installation archive.
#pragma once

#include "tools/rozbal/installer_resources.h"
#include "tools/rozbal/tree.h"

#include <cstdint>
#include <filesystem>
#include <string>

struct PackOptions {
    std::filesystem::path tree;
    std::filesystem::path output;
    std::filesystem::path stub;  // empty: the default stub
    std::string setup;           // relative to tree, UTF-8
    std::string title;
    std::string password;
    bool stay = false;  // close_when_done 0
    CompressRule compress;
    uint64_t volume_size = 0;  // 0: everything in the executable
    unsigned threads = 1;
    int level = 6;  // compression level, 1 (fastest) to 12 (smallest)
    bool quiet = false;
    ResourceOptions resources;  // icon and version information
};

// Writes the installer `options.output` and its volumes. Notes and warnings
// go to stderr. Throws UsageError, InputError or OutputError; then no
// output file has been created or changed.
void RunPack(const PackOptions& options);

// The stub to use: `given` if not empty, else ../share/rozbal/rozbal-stub.exe
// from this program's directory (where it is installed), else the stub the
// build made, else rozbal-stub.exe beside this program. Throws InputError when there is none.
std::filesystem::path FindStub(const std::filesystem::path& given);
