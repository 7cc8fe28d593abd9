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
    // Signed unaligned: zero bytes a signing tool put between the trailer of
    // an archive that ends off a multiple of 8 and the table. The installer
    // then takes padding for its trailer and finds no archive.
    unsigned padding = 0;
};

// Reads the signature of `file`. Throws InputError when it cannot be opened.
Signature ReadSignature(const std::filesystem::path& file);

// "not signed", "signed, certificate table of N bytes", or for a file signed
// unaligned what is wrong and how to mend it.
std::string Describe(const Signature& signature);
