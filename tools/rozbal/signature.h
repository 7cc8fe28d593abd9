// Whether an installer carries a signature, and whether it was signed the
// way the installer needs: with the archive's trailer right before the
// certificate table.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

struct Signature {
    bool named = false;       // the PE header names a certificate table
    uint32_t table_size = 0;  // the table that ends the file; 0: not signed
    // Signed unaligned: the zeros a signing tool put between the trailer and
    // the table, since the unsigned file did not end on a multiple of 8. The
    // installer then reads padding as its trailer and misses its archive.
    unsigned padding = 0;
};

// Reads the signature of `file`. Throws InputError when it cannot be opened.
Signature ReadSignature(const std::filesystem::path& file);

// "not signed", "certificate table of N bytes present, signature not
// checked" with the tools that check it, or for a file signed unaligned what
// is wrong and how to mend it.
std::string Describe(const Signature& signature);
