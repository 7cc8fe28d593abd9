#include "tools/rozbal/block_encoder.h"

#include "archive/format.h"

#include <algorithm>
#include <cstring>
#include <libdeflate.h>
#include <stdexcept>

BlockEncoder::BlockEncoder(int level)
    : compressor_(level >= LEVEL_MIN && level <= LEVEL_MAX ? libdeflate_alloc_compressor(level) : nullptr)
{
    if (!compressor_)
        throw std::runtime_error("cannot start a compressor at level " + std::to_string(level));
}

BlockEncoder::~BlockEncoder()
{
    libdeflate_free_compressor(compressor_);
}

void BlockEncoder::Encode(const unsigned char* plain, size_t size, std::vector<unsigned char>& out)
{
    for (size_t done = 0; done < size;) {
        size_t piece = std::min<size_t>(size - done, BLOCK_PAYLOAD_MAX);
        size_t start = out.size();
        out.resize(start + BLOCK_HEADER_SIZE + BLOCK_PAYLOAD_MAX);
        unsigned char* header = out.data() + start;

        // The whole piece in one call: a 32000-byte block needs no streaming.
        size_t length = libdeflate_zlib_compress(compressor_, plain + done, piece, header + BLOCK_HEADER_SIZE,
                                                 BLOCK_PAYLOAD_MAX);
        if (length != 0) {
            header[1] = METHOD_ZLIB;
        } else {
            // The stream outgrew the payload limit: such data is stored.
            header[1] = 0;
            length = piece;
            std::memcpy(header + BLOCK_HEADER_SIZE, plain + done, piece);
        }
        header[0] = BLOCK_MARKER;
        WriteLe32(header + 2, static_cast<uint32_t>(length));
        out.resize(start + BLOCK_HEADER_SIZE + length);
        done += piece;
    }
}
