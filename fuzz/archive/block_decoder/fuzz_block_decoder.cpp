// Decodes the input as a block file with the decoder in g_block_decoder and
// checks the result and the plain file against an in-memory reading of the
// same rules, with zlib's uncompress as the judge of each stream.
#include "archive/block_decoder.h"
#include "archive/format.h"
#include "fuzz/temp_input.h"

#include <stdio.h>
#include <stdlib.h>
#include <zlib.h>

#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// The expected result and plain data, walking the input block by block.
int ExpectedDecoding(const uint8_t* data, size_t size, Bytes* plain)
{
    static unsigned char output[BLOCK_PLAIN_MAX];
    size_t at = 0;
    while (at < size) {
        if (size - at < BLOCK_HEADER_SIZE || data[at] != BLOCK_MARKER)
            return 0;
        int32_t length = (int32_t)ReadLe32(data + at + 2);
        if (length < 0 || length > BLOCK_PAYLOAD_MAX)
            return 0;
        const uint8_t* payload = data + at + BLOCK_HEADER_SIZE;
        size_t present = size - at - BLOCK_HEADER_SIZE;
        if (present == 0 || length == 0)
            return 1;
        if (present < (size_t)length)
            return 0;
        if (data[at + 1] != METHOD_ZLIB) {
            plain->insert(plain->end(), payload, payload + length);
        } else {
            uLongf count = BLOCK_PLAIN_MAX;
            if (uncompress(output, &count, payload, (uLong)length) != Z_OK || count == 0)
                return 0;
            plain->insert(plain->end(), output, output + count);
        }
        at += BLOCK_HEADER_SIZE + (size_t)length;
    }
    return 1;
}

Bytes ReadWhole(const std::string& path)
{
    Bytes bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        abort();
    unsigned char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    fclose(file);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string block = WriteTempFile("input.xxx", data, size);
    std::string plain = TempPath("input");
    int result = DecodeBlockFile(block.c_str(), plain.c_str());
    Bytes expected;
    if (result != ExpectedDecoding(data, size, &expected) || ReadWhole(plain) != expected)
        abort();
    return 0;
}
