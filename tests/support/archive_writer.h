// The one writer of test installers: any header, any records,
// including the ones no builder writes (names that climb out, sizes that
// lie, fields without their NUL).
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "archive/format.h"  // ENTRY_ flags, PIECE_SIZE_MAX
#include "tests/support/temp_dir.h"  // ReadFile, WriteFile

// The 152 header bytes. A text of 48 characters fills its field with no NUL.
std::string Header(uint32_t file_count, uint32_t close_when_done, const std::string& setup_program,
                   const std::string& title, const std::string& password = "");

// One record and its data; size is the record's claim, data what follows.
std::string Piece(uint32_t flags, const std::string& name, const std::string& data);
std::string PieceClaiming(uint32_t flags, const std::string& name, uint32_t size, const std::string& data);

// Deterministic bytes for file contents: text-like (compressible) or noise
// (incompressible).
std::string MakeData(size_t size, bool noise, unsigned seed = 1);

// A stub, then header and pieces, then the trailer pointing at the header.
std::string Installer(const std::string& header, const std::string& pieces);
// The same with stub as the bytes before the archive.
std::string InstallerWithStub(const std::string& stub, const std::string& header, const std::string& pieces);

// A Windows program of `size` bytes (at least 352) as far as its headers
// go: DOS header, PE headers for machine and subsystem, and one section
// that ends the file, filled with 'M'.
std::string WindowsProgram(size_t size, uint16_t machine = 0x14C, uint16_t subsystem = 2);

// One block: marker, method, the length field and the payload as given.
std::string Block(unsigned char marker, unsigned char method, int32_t length, const std::string& payload);

// A block file of stored blocks, one per plain part.
std::string StoredBlocks(const std::vector<std::string>& parts);

