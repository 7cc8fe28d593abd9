#include "tools/rozbal/block_encoder.h"

#include "archive/format.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

BlockEncoder::BlockEncoder()
{
    // zlib's defaults (32 KB window, memLevel 8) give every stream the
    // header 0x78 0x9C at level 6.
    if (deflateInit(&stream_, 6) != Z_OK)
        throw std::runtime_error("zlib cannot start a compressor");
}

BlockEncoder::~BlockEncoder()
{
    deflateEnd(&stream_);
}

void BlockEncoder::Encode(const unsigned char* plain, size_t size, std::vector<unsigned char>& out)
{
    for (size_t done = 0; done < size;) {
        uInt piece = static_cast<uInt>(std::min<size_t>(size - done, BLOCK_PAYLOAD_MAX));
        size_t start = out.size();
        out.resize(start + BLOCK_HEADER_SIZE + BLOCK_PAYLOAD_MAX);
        unsigned char* header = out.data() + start;

        // Reset rather than a fresh init per block: the same stream, without
        // allocating the compressor's tables 32000 bytes at a time.
        if (deflateReset(&stream_) != Z_OK)
            throw std::runtime_error("zlib cannot reset its compressor");
        stream_.next_in = const_cast<unsigned char*>(plain + done);
        stream_.avail_in = piece;
        stream_.next_out = header + BLOCK_HEADER_SIZE;
        stream_.avail_out = BLOCK_PAYLOAD_MAX;
        int status = deflate(&stream_, Z_FINISH);
        uint32_t length;
        if (status == Z_STREAM_END) {
            header[1] = METHOD_ZLIB;
            length = BLOCK_PAYLOAD_MAX - stream_.avail_out;
        } else if (status == Z_OK || status == Z_BUF_ERROR) {
            // The stream outgrew the payload limit: such data is stored.
            header[1] = 0;
            length = piece;
            std::memcpy(header + BLOCK_HEADER_SIZE, plain + done, piece);
        } else {
            throw std::runtime_error("zlib failed to compress a block");
        }
        header[0] = BLOCK_MARKER;
        WriteLe32(header + 2, length);
        out.resize(start + BLOCK_HEADER_SIZE + length);
        done += piece;
    }
}
