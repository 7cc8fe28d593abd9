// zlib's own deflate, as a reference encoder for the decoders' tests.
#pragma once

#include <zlib.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A zlib (window_bits 15) or gzip (31) stream of plain at level with
// strategy, primed with dictionary when one is given.
inline std::vector<unsigned char> Deflate(const std::vector<unsigned char>& plain, int level,
                                          int strategy = Z_DEFAULT_STRATEGY, int window_bits = 15,
                                          const std::string& dictionary = "")
{
    z_stream stream = {};
    EXPECT_EQ(deflateInit2(&stream, level, Z_DEFLATED, window_bits, 8, strategy), Z_OK);
    if (!dictionary.empty()) {
        EXPECT_EQ(deflateSetDictionary(&stream, (const Bytef*)dictionary.data(), (uInt)dictionary.size()), Z_OK);
    }
    std::vector<unsigned char> out(deflateBound(&stream, plain.size()) + 32);
    stream.next_in = const_cast<Bytef*>(plain.data());
    stream.avail_in = (uInt)plain.size();
    stream.next_out = out.data();
    stream.avail_out = (uInt)out.size();
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}
