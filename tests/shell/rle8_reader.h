// A strict reader of RIFF AVI clips with one BI_RLE8 video stream, written
// apart from the generator so that the tests do not trust its own code.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/support/little_endian.h"

namespace cliptest {

struct Chunk {
    std::string id;
    size_t offset;  // of the chunk's data in the file
    std::vector<uint8_t> data;
};

// The chunks of a RIFF file, lists entered: "LIST" and "RIFF" appear as
// their form type ("hdrl", "movi", ...) with no data. Empty on a malformed
// file.
std::vector<Chunk> ReadChunks(const std::vector<uint8_t>& file);

// Decodes one RLE8 frame onto picture (width x height indices, top row
// first; pixels the frame does not code are kept). Returns an empty string
// or what is wrong: a write outside the picture, a missing end of bitmap,
// data after it, a truncated code.
std::string DecodeRle8(const std::vector<uint8_t>& code, int width, int height,
                       std::vector<uint8_t>& picture);

}  // namespace cliptest
