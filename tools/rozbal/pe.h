// The headers of a Windows executable (PE), as far as the builder checks
// them: the stub it appends to, and the setup program it names.
#pragma once

#include <cstdint>
#include <filesystem>

enum : uint16_t {
    PE_MACHINE_I386 = 0x14C,
    PE_MACHINE_AMD64 = 0x8664,
    PE_SUBSYSTEM_GUI = 2,
};

struct PeHeaders {
    uint16_t machine = 0;
    uint16_t subsystem = 0;
    uint64_t image_end = 0;  // where the headers and the last section's raw data end
};

// Reads the PE headers of `path` into headers. Returns false when the file
// cannot be read or holds no PE executable: no "MZ", no "PE\0\0" where the
// DOS header points, or an optional header too short for the subsystem.
bool ReadPeHeaders(const std::filesystem::path& path, PeHeaders& headers);
