// Writing block files: the plain data cut into 32000-byte pieces, each one
// zlib stream at level 6, or stored when its stream would not fit a block.
#pragma once

#include <cstddef>
#include <vector>

#include <zlib.h>

class BlockEncoder {
  public:
    BlockEncoder();
    ~BlockEncoder();
    BlockEncoder(const BlockEncoder&) = delete;
    BlockEncoder& operator=(const BlockEncoder&) = delete;

    // Appends the blocks of `size` plain bytes to `out`. The caller cuts a
    // file at multiples of 32000 bytes, so the blocks of its parts, put
    // together, are the file's block file. Throws std::runtime_error if zlib
    // fails, which only lack of memory can cause.
    void Encode(const unsigned char* plain, size_t size, std::vector<unsigned char>& out);

  private:
    z_stream stream_{};
};
