// The stubs' inflater (zlib's inflate side built from source for size, see
// cmake/inflate.cmake; here under z_ names) decodes every stream as the
// system's zlib does, and fails where it fails, with the same result.
#include "deflate.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <string>
#include <vector>

extern "C" int z_uncompress(Bytef* dest, uLongf* dest_len, const Bytef* source, uLong source_len);

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Mixed(size_t size)
{
    Bytes bytes(size);
    uint32_t seed = 7;
    for (size_t i = 0; i < size; i++) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = (i / 600) % 2 ? (unsigned char)(seed >> 24) : (unsigned char)("rozbal "[i % 7]);
    }
    return bytes;
}

enum Damage { NONE, FLIP_LAST, CUT_HALF, FLIP_HEADER };

struct Case {
    const char* what;
    size_t plain_size;
    int level, strategy, window_bits;
    Damage damage;
    size_t room;  // output buffer; 0: exactly the plain size
};

const Case kCases[] = {
    {"stored", 32000, 0, Z_DEFAULT_STRATEGY, 15, NONE, 0},
    {"fixed Huffman codes", 32000, 6, Z_FIXED, 15, NONE, 0},
    {"dynamic Huffman codes", 320000, 9, Z_DEFAULT_STRATEGY, 15, NONE, 0},
    {"runs only", 100000, 6, Z_RLE, 15, NONE, 0},
    {"empty", 0, 6, Z_DEFAULT_STRATEGY, 15, NONE, 0},
    {"wrong check value", 32000, 6, Z_DEFAULT_STRATEGY, 15, FLIP_LAST, 0},
    {"cut in half", 32000, 6, Z_DEFAULT_STRATEGY, 15, CUT_HALF, 0},
    {"bad header", 32000, 6, Z_DEFAULT_STRATEGY, 15, FLIP_HEADER, 0},
    {"gzip wrapper", 32000, 6, Z_DEFAULT_STRATEGY, 31, NONE, 0},
    {"output one byte short", 32000, 6, Z_DEFAULT_STRATEGY, 15, NONE, 31999},
    {"room to spare", 32000, 6, Z_FIXED, 15, NONE, 320000},
};

TEST(Inflater, DecodesAndFailsAsTheSystemZlibDoes)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Bytes plain = Mixed(c.plain_size);
        Bytes stream = Deflate(plain, c.level, c.strategy, c.window_bits);
        if (c.damage == FLIP_LAST)
            stream.back() ^= 1;
        else if (c.damage == CUT_HALF)
            stream.resize(stream.size() / 2);
        else if (c.damage == FLIP_HEADER)
            stream[1] ^= 1;  // the header check no longer holds
        size_t room = c.room ? c.room : plain.size();
        Bytes ours(room + 1), theirs(room + 1);
        uLongf our_size = room, their_size = room;
        int our_result = z_uncompress(ours.data(), &our_size, stream.data(), stream.size());
        int their_result = uncompress(theirs.data(), &their_size, stream.data(), stream.size());
        EXPECT_EQ(our_result, their_result);
        ASSERT_EQ(our_size, their_size);
        EXPECT_TRUE(std::equal(ours.begin(), ours.begin() + our_size, theirs.begin()));
        if (c.damage == NONE && c.window_bits == 15 && room >= plain.size()) {
            EXPECT_EQ(our_result, Z_OK);
            EXPECT_TRUE(std::equal(plain.begin(), plain.end(), ours.begin()));
        }
    }
}

}  // namespace
