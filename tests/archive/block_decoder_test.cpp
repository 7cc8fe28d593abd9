#include "archive/block_decoder.h"
#include "archive/format.h"
#include "tools/rozbal/batch_decoder.h"

#include "deflate.h"
#include "file_fixture.h"

#include <zlib.h>

#include <climits>

namespace {

// Deterministic text-like bytes: words from a small vocabulary.
Bytes Text(size_t size, uint32_t seed)
{
    static const char* const words[] = {"soubor ", "archiv ", "blok ", "data\n", "instalace ", "0x66 "};
    Bytes text;
    while (text.size() < size) {
        seed = seed * 1103515245u + 12345u;
        const char* word = words[(seed >> 16) % 6];
        text.insert(text.end(), word, word + strlen(word));
    }
    text.resize(size);
    return text;
}

// Bytes with a period of 251: any length compresses far below 32000.
Bytes Pattern(size_t size)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; i++)
        bytes[i] = (unsigned char)(i % 251);
    return bytes;
}

Bytes Zlib(const Bytes& plain, int level = Z_DEFAULT_COMPRESSION)
{
    uLongf size = compressBound(plain.size());
    Bytes stream(size);
    EXPECT_EQ(compress2(stream.data(), &size, plain.data(), plain.size(), level), Z_OK);
    stream.resize(size);
    return stream;
}

Bytes BlockBytes(unsigned char marker, unsigned char method, int32_t length, const Bytes& payload)
{
    return AsBytes(Block(marker, method, length, AsText(payload)));
}

Bytes Stored(unsigned char method, const Bytes& plain)
{
    return BlockBytes(BLOCK_MARKER, method, (int32_t)plain.size(), plain);
}

Bytes Compressed(const Bytes& plain) { return Stored(METHOD_ZLIB, Zlib(plain)); }

// The layout the builder writes: 32000-byte pieces, each a level-6 stream.
Bytes BuilderLayout(const Bytes& plain)
{
    Bytes file;
    for (size_t at = 0; at < plain.size(); at += 32000) {
        Bytes piece(plain.begin() + at, plain.begin() + std::min(plain.size(), at + 32000));
        file = Concat({file, Compressed(piece)});
    }
    return file;
}

Bytes Padded(Bytes bytes, size_t size)
{
    bytes.resize(size, 0xA5);
    return bytes;
}

Bytes WithLastByteFlipped(Bytes bytes)
{
    bytes.back() ^= 1;
    return bytes;
}

// The installer's decoder and the builder's must decode alike: every test
// here runs with each in g_block_decoder.
struct Decoder {
    const char* name;
    const BlockBatchDecoder* decoder;
};

void PrintTo(const Decoder& decoder, std::ostream* out)
{
    *out << decoder.name;
}

class BlockDecoderTest : public FileFixture, public ::testing::WithParamInterface<Decoder> {
  protected:
    void SetUp() override
    {
        g_block_decoder = GetParam().decoder;
    }
    void TearDown() override
    {
        g_block_decoder = &g_zlib_blocks;
    }
};

INSTANTIATE_TEST_SUITE_P(Decoders, BlockDecoderTest,
                         ::testing::Values(Decoder{"installer", &g_zlib_blocks},
                                           Decoder{"builder", &g_libdeflate_blocks}),
                         [](const ::testing::TestParamInfo<Decoder>& info) { return info.param.name; });

TEST_P(BlockDecoderTest, DecodesOrStopsAsTheBlocksSay)
{
    const Bytes a = Text(1000, 1), b = Text(5000, 2), big = Text(100000, 3), huge = Text(70 * 32000, 6);
    struct Case {
        const char* label;
        Bytes file;
        int result;
        Bytes plain;
    } cases[] = {
        {"no block", {}, 1, {}},
        {"1 byte", {0x66}, 0, {}},
        {"5 bytes", {0x66, 0x01, 0x00, 0x00, 0x00}, 0, {}},
        {"one zlib block", Compressed(a), 1, a},
        {"builder layout, 4 blocks", BuilderLayout(big), 1, big},
        {"level 0 and level 9 streams", Concat({Stored(1, Zlib(a, 0)), Stored(1, Zlib(b, 9))}), 1, Concat({a, b})},
        {"stored, method 0", Stored(0, a), 1, a},
        {"stored, method 2", Concat({Compressed(b), Stored(2, a)}), 1, Concat({b, a})},
        {"stored, method 255", Stored(255, a), 1, a},
        {"stored, length 32000", Stored(0, Text(32000, 4)), 1, Text(32000, 4)},
        {"length 32001", Concat({Compressed(a), Stored(0, Text(32001, 4))}), 0, a},
        {"zlib payload of 32000 with padding", Stored(1, Padded(Zlib(b), 32000)), 1, b},
        {"zlib payload of 32001 with padding", Concat({Compressed(a), Stored(1, Padded(Zlib(b), 32001))}), 0, a},
        {"bytes after the zlib stream", Stored(1, Concat({Zlib(a), {0x66, 0x01, 0xFF}})), 1, a},
        {"plain data of 320000", Compressed(Pattern(320000)), 1, Pattern(320000)},
        {"plain data of 320001", Concat({Compressed(a), Compressed(Pattern(320001))}), 0, a},
        {"zlib stream without data", Concat({Compressed(a), Compressed({})}), 0, a},
        {"wrong Adler-32", Concat({Compressed(a), Stored(1, WithLastByteFlipped(Zlib(b)))}), 0, a},
        {"wrong Adler-32 amid good blocks", Concat({Compressed(a), Stored(1, WithLastByteFlipped(Zlib(b))), Compressed(b)}), 0, a},
        {"70 blocks, then a wrong Adler-32", Concat({BuilderLayout(huge), Stored(1, WithLastByteFlipped(Zlib(b)))}), 0, huge},
        {"preset dictionary", Stored(1, Deflate(a, Z_DEFAULT_COMPRESSION, Z_DEFAULT_STRATEGY, 15, "archiv")), 0, {}},
        {"invalid deflate block type", Stored(1, {0x78, 0x9C, 0xFF, 0xFF, 0xFF}), 0, {}},
        {"wrong marker, valid block", Concat({Compressed(a), BlockBytes(0x67, 1, (int32_t)Zlib(b).size(), Zlib(b))}), 0, a},
        {"length 0, zlib, then a block", Concat({Compressed(a), BlockBytes(0x66, 1, 0, {}), Compressed(b)}), 1, a},
        {"length 0, stored, then a block", Concat({Compressed(a), BlockBytes(0x66, 0, 0, {}), Compressed(b)}), 1, a},
        {"header, then the end", Concat({Compressed(a), BlockBytes(0x66, 1, 100, {})}), 1, a},
        {"payload cut short", Concat({Compressed(a), BlockBytes(0x66, 1, 100, Text(50, 5))}), 0, a},
        {"length -1, more than a buffer after", Concat({Compressed(a), BlockBytes(0x66, 0, -1, Text(40000, 5))}), 0, a},
        {"length INT32_MIN", Concat({Compressed(a), BlockBytes(0x66, 1, INT32_MIN, Zlib(b))}), 0, a},
        {"5 bytes after a block", Concat({Compressed(a), {0x66, 0x01, 0x10, 0x00, 0x00}}), 0, a},
    };
    for (const Case& c : cases) {
        std::string block = Write("file.bin.xxx", c.file);
        std::string plain = PathOf("file.bin");
        EXPECT_EQ(DecodeBlockFile(block.c_str(), plain.c_str()), c.result) << c.label;
        EXPECT_EQ(Read(plain), c.plain) << c.label;
    }
}

TEST_P(BlockDecoderTest, EmptiesAndReplacesExistingPlainFile)
{
    std::string plain = Write("file.bin", Text(100000, 6));
    std::string block = Write("file.bin.xxx", Compressed(Text(10, 7)));
    EXPECT_EQ(DecodeBlockFile(block.c_str(), plain.c_str()), 1);
    EXPECT_EQ(Read(plain), Text(10, 7));
}

TEST_P(BlockDecoderTest, FailsWhenFilesCannotBeHad)
{
    std::string block = Write("file.bin.xxx", Compressed(Text(10, 7)));
    std::string missing_dir_plain = PathOf("missing/file.bin");
    EXPECT_EQ(DecodeBlockFile(block.c_str(), missing_dir_plain.c_str()), 0);

    std::string plain = PathOf("file.bin");
    EXPECT_EQ(DecodeBlockFile(PathOf("absent.xxx").c_str(), plain.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(plain));

    std::filesystem::create_directory(PathOf("dir.xxx"));
    EXPECT_EQ(DecodeBlockFile(PathOf("dir.xxx").c_str(), plain.c_str()), 0);
}

// A read that fails delivers no bytes, as the end of the file does; taking it
// for the end would pass a cut-off plain file as whole.
TEST_P(BlockDecoderTest, FailingReadIsNoEnd)
{
    if (!std::filesystem::exists("/proc/self/mem"))
        GTEST_SKIP() << "no /proc/self/mem";
    std::string plain = PathOf("file.bin");
    EXPECT_EQ(DecodeBlockFile("/proc/self/mem", plain.c_str()), 0);  // offset 0 is never mapped
}

TEST_P(BlockDecoderTest, FailsWhenWriteIsNotWhole)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    std::string block = Write("file.bin.xxx", Compressed(Text(1000, 8)));
    EXPECT_EQ(DecodeBlockFile(block.c_str(), "/dev/full"), 0);
}

// The worker stops a decode when the window takes the extraction over: the
// decoder asks after every batch (one block for the installer's, 32 for the
// builder's) and stops at the first "no".
int g_yes_left, g_asked;

int KeepGoing()
{
    g_asked++;
    return g_yes_left-- > 0;
}

TEST_P(BlockDecoderTest, StopsAtTheNextAskOnceTold)
{
    const size_t blocks = 70, per_ask = GetParam().decoder->blocks;
    const Bytes huge = Text(blocks * 32000, 6);
    std::string block = Write("file.bin.xxx", BuilderLayout(huge));
    std::string plain = PathOf("file.bin");
    struct {
        int yes;  // answers before the first "no"
        int result;
        size_t asked, blocks_written;
    } cases[] = {
        {0, 0, 1, per_ask},
        {1, 0, 2, 2 * per_ask},
        {1000, 1, blocks / per_ask, blocks},
    };
    for (const auto& c : cases) {
        g_yes_left = c.yes;
        g_asked = 0;
        EXPECT_EQ(DecodeBlockFile(block.c_str(), plain.c_str(), KeepGoing), c.result) << c.yes;
        EXPECT_EQ((size_t)g_asked, c.asked) << c.yes;
        EXPECT_EQ(Read(plain), Bytes(huge.begin(), huge.begin() + c.blocks_written * 32000)) << c.yes;
    }
}

// The build machine decodes with another library than the installer; both
// must take and refuse the same payloads, byte for byte. Each base stream is
// tried whole, cut at every length, with bytes after it, and with each bit of
// its first 64 bytes and some further ones flipped; zlib's uncompress is the
// judge. The payloads go through the decoder's own batches, full ones.
TEST_P(BlockDecoderTest, DecodesPayloadsAsZlibDoes)
{
    Bytes noise(3000);
    for (size_t i = 0; i < noise.size(); i++)
        noise[i] = (unsigned char)((i * 2654435761u) >> 13);
    struct Case {
        const char* what;
        Bytes stream;
    } cases[] = {
        {"text, level 1", Zlib(Text(32000, 3), 1)},
        {"text, level 9", Zlib(Text(5000, 4), 9)},
        {"pattern", Zlib(Pattern(32000))},
        {"stored deflate blocks", Zlib(noise, 0)},
        {"noise, fixed codes", Zlib(Bytes(noise.begin(), noise.begin() + 40), 6)},
        {"preset dictionary", Deflate(Text(300, 5), Z_DEFAULT_COMPRESSION, Z_DEFAULT_STRATEGY, 15, "archiv")},
        {"over 320000 bytes", Zlib(Bytes(BLOCK_PLAIN_MAX + 1, 'a'))},
        {"empty stream", Zlib(Bytes())},
    };
    std::vector<Bytes> payloads;
    std::vector<const char*> whats;
    for (const Case& c : cases) {
        std::vector<Bytes> variants = {c.stream, Concat({c.stream, Bytes{0x66, 0, 1}})};
        for (size_t length = 0; length < c.stream.size(); length += 1 + length / 64)
            variants.push_back(Bytes(c.stream.begin(), c.stream.begin() + length));
        for (size_t bit = 0; bit < std::min<size_t>(c.stream.size(), 64) * 8; bit++) {
            variants.push_back(c.stream);
            variants.back()[bit / 8] ^= (unsigned char)(1 << bit % 8);
        }
        for (size_t at = 64; at < c.stream.size(); at += 97) {
            variants.push_back(c.stream);
            variants.back()[at] ^= 0x10;
        }
        for (const Bytes& payload : variants) {
            if (payload.empty() || payload.size() > BLOCK_PAYLOAD_MAX)
                continue;
            payloads.push_back(payload);
            whats.push_back(c.what);
        }
    }
    const BlockBatchDecoder& decoder = *GetParam().decoder;
    std::vector<unsigned char> input(BLOCK_BATCH_MAX * BLOCK_PAYLOAD_MAX),
        output(BLOCK_BATCH_MAX * BLOCK_PLAIN_MAX);
    static unsigned char theirs[BLOCK_PLAIN_MAX];
    for (size_t first = 0; first < payloads.size(); first += decoder.blocks) {
        BlockBatch batch;
        batch.input = input.data();
        batch.output = output.data();
        batch.count = (unsigned)std::min<size_t>(decoder.blocks, payloads.size() - first);
        for (unsigned i = 0; i < batch.count; i++) {
            const Bytes& payload = payloads[first + i];
            memcpy(batch.input + i * BLOCK_PAYLOAD_MAX, payload.data(), payload.size());
            batch.method[i] = METHOD_ZLIB;
            batch.length[i] = (uint32_t)payload.size();
        }
        decoder.decode(&batch);
        for (unsigned i = 0; i < batch.count; i++) {
            const Bytes& payload = payloads[first + i];
            uLongf expected = BLOCK_PLAIN_MAX;
            if (uncompress(theirs, &expected, payload.data(), payload.size()) != Z_OK)
                expected = 0;
            ASSERT_EQ(batch.length[i], expected)
                << whats[first + i] << ", variant of " << payload.size() << " bytes";
            if (expected != 0) {
                ASSERT_EQ(memcmp(batch.plain[i], theirs, expected), 0) << whats[first + i];
            }
        }
    }
    EXPECT_GT(payloads.size(), 3000u);
}

}  // namespace
