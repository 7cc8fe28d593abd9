// Writing block files: the plain data cut into 32000-byte pieces, each one
// zlib stream, or stored when its stream would not fit a block.
#pragma once

#include <cstddef>
#include <vector>

struct libdeflate_compressor;

// The compression levels pack offers; the default gives zlib streams with
// the header 0x78 0x9C, as zlib's default level does.
enum { LEVEL_MIN = 1, LEVEL_DEFAULT = 6, LEVEL_MAX = 12 };

class BlockEncoder {
  public:
    // A compressor at `level` (LEVEL_MIN to LEVEL_MAX). Throws
    // std::runtime_error when it cannot be made, which only lack of memory
    // or a level outside the range cause.
    explicit BlockEncoder(int level = LEVEL_DEFAULT);
    ~BlockEncoder();
    BlockEncoder(const BlockEncoder&) = delete;
    BlockEncoder& operator=(const BlockEncoder&) = delete;

    // Appends the blocks of `size` plain bytes to `out`. The caller cuts a
    // file at multiples of 32000 bytes, so the blocks of its parts, put
    // together, are the file's block file. The same input and level give the
    // same bytes on every run.
    void Encode(const unsigned char* plain, size_t size, std::vector<unsigned char>& out);

  private:
    libdeflate_compressor* compressor_;
};
