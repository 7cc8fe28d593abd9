#include "archive/block_decoder.h"
#include "archive/format.h"
#include "tools/rozbal/block_encoder.h"
#include "tests/support/archive_writer.h"
#include "tools/rozbal/installer_run.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

std::vector<unsigned char> Encode(const std::string& plain, int level = LEVEL_DEFAULT)
{
    BlockEncoder encoder(level);
    std::vector<unsigned char> out;
    encoder.Encode(reinterpret_cast<const unsigned char*>(plain.data()), plain.size(), out);
    return out;
}

// Methods of the blocks in order, e.g. "1 1 0".
std::string Methods(const std::vector<unsigned char>& blocks)
{
    std::string methods;
    for (size_t at = 0; at < blocks.size(); at += BLOCK_HEADER_SIZE + ReadLe32(&blocks[at + 2])) {
        EXPECT_EQ(blocks[at], BLOCK_MARKER);
        uint32_t length = ReadLe32(&blocks[at + 2]);
        EXPECT_GE(length, 1u);
        EXPECT_LE(length, static_cast<uint32_t>(BLOCK_PAYLOAD_MAX));
        if (blocks[at + 1] == METHOD_ZLIB) {
            EXPECT_EQ(blocks[at + 6], 0x78);
            EXPECT_EQ(blocks[at + 7], 0x9C);
        }
        methods += (methods.empty() ? "" : " ") + std::to_string(blocks[at + 1]);
    }
    return methods;
}

std::vector<unsigned char> Hex(const char* text)
{
    std::vector<unsigned char> bytes;
    for (const char* c = text; *c;) {
        if (*c == ' ') {
            c++;
            continue;
        }
        bytes.push_back(static_cast<unsigned char>(std::stoul(std::string(c, 2), nullptr, 16)));
        c += 2;
    }
    return bytes;
}

TEST(Blocks, EncodedFilesDecodeWithTheInstallersDecoder)
{
    struct Case {
        size_t size;
        bool noise;
        const char* methods;
    } cases[] = {
        {0, false, ""},
        {1, false, "1"},
        {32000, false, "1"},
        {32001, false, "1 1"},
        {100000, false, "1 1 1 1"},
        {32000, true, "0"},
        {64001, true, "0 0 1"},  // the last block, one byte, fits its stream
    };
    TempDir dir;
    for (const Case& c : cases) {
        std::string plain = MakeData(c.size, c.noise);
        std::vector<unsigned char> blocks = Encode(plain);
        EXPECT_EQ(Methods(blocks), c.methods) << c.size;

        WriteFile(dir / "f.xxx", std::string(blocks.begin(), blocks.end()));
        ASSERT_EQ(DecodeBlockFile((dir / "f.xxx").c_str(), (dir / "f").c_str()), 1) << c.size;
        EXPECT_EQ(ReadFile(dir / "f"), plain) << c.size;

        // In odd slices, pieces of an archive, through the installer's worker.
        std::string pieces = Piece(ENTRY_CREATE, "f.xxx", "");
        for (size_t at = 0; at < blocks.size(); at += 7777)
            pieces += Piece(ENTRY_APPEND, "f.xxx",
                            std::string(blocks.begin() + at, blocks.begin() + std::min(blocks.size(), at + 7777)));
        pieces += Piece(ENTRY_CREATE | ENTRY_LAST, "setup", "MZ");
        WriteFile(dir / "SETUP.EXE", Installer(Header(2, 1, "setup", "t"), pieces));
        fs::create_directories(dir / "temp");
        InstallerRun run({dir / "SETUP.EXE", dir / "temp", nullptr, true});
        EXPECT_EQ(ReadFile(run.Extracted() / "f"), plain) << c.size;
        EXPECT_EQ(run.Totals().installed, c.size + 2);
    }
}

// Every level writes zlib streams the installer's decoder reads, with the
// level's hint in the header. Neighbouring levels may swap places by a few
// bytes; 1, 6, 9 and 12 (ranked) get smaller in turn on mixed data.
TEST(Blocks, EveryLevelDecodes)
{
    struct Case {
        int level;
        unsigned char header;  // the byte after 0x78
        bool ranked;
    } cases[] = {{1, 0x01, true},  {2, 0x5E, false}, {5, 0x5E, false}, {6, 0x9C, true},
                 {7, 0x9C, false}, {8, 0xDA, false}, {9, 0xDA, true},  {12, 0xDA, true}};
    TempDir dir;
    std::string plain = MakeData(70000, false) + MakeData(30000, true, 3) + MakeData(40000, false, 5);
    size_t previous = SIZE_MAX;
    for (const Case& c : cases) {
        std::vector<unsigned char> blocks = Encode(plain, c.level);
        ASSERT_EQ(blocks[1], METHOD_ZLIB) << c.level;
        EXPECT_EQ(blocks[6], 0x78) << c.level;
        EXPECT_EQ(blocks[7], c.header) << c.level;
        if (c.ranked) {
            EXPECT_LT(blocks.size(), previous) << c.level;
            previous = blocks.size();
        }
        WriteFile(dir / "f.xxx", std::string(blocks.begin(), blocks.end()));
        fs::remove(dir / "f");
        ASSERT_EQ(DecodeBlockFile((dir / "f.xxx").c_str(), (dir / "f").c_str()), 1) << c.level;
        EXPECT_TRUE(ReadFile(dir / "f") == plain) << c.level;
    }
    for (int level : {0, 13, -1})
        EXPECT_THROW(BlockEncoder{level}, std::runtime_error) << level;
}

// Block files at the edges of the format, as the installer's decoder judges
// them: the reason it refuses one, or "" when it takes it (the note says
// what it drops).
TEST(Blocks, TheDecoderJudgesTheEdges)
{
    struct Case {
        const char* hex;
        const char* failure;
        const char* note;
    } cases[] = {
        {"", "", ""},
        {"66 00 01 00 00 00 41", "", ""},
        {"66 02 02 00 00 00 41 42 66 FF 01 00 00 00 43", "", ""},
        {"66 01", "6-byte header", ""},
        {"67 00 01 00 00 00 41", "marker", ""},
        {"66 00 01 7D 00 00", "outside 0 to 32000", ""},
        {"66 00 FF FF FF FF 41", "outside 0 to 32000", ""},
        {"66 00 03 00 00 00 41", "cut short", ""},
        {"66 00 01 00 00 00", "", "right after a block header"},
        {"66 00 00 00 00 00 41 41 41", "", "3 bytes after it"},
        {"66 01 02 00 00 00 78 9C", "decompress", ""},
        {"66 00 01 00 00 00 41 66 01 08 00 00 00 78 9C 03 00 00 00 00 01", "offset 7", ""},  // empty stream
        {"66 01 09 00 00 00 78 9C 73 04 00 00 42 00 41", "Adler-32", ""},
        {"66 01 09 00 00 00 78 9C 73 04 00 00 42 00 42", "", ""},
    };
    TempDir dir;
    for (const Case& c : cases) {
        std::vector<unsigned char> bytes = Hex(c.hex);
        WriteFile(dir / "f.xxx", std::string(bytes.begin(), bytes.end()));
        EXPECT_EQ(DecodeBlockFile((dir / "f.xxx").c_str(), (dir / "f").c_str()), c.failure[0] == 0 ? 1 : 0)
            << c.hex << ": " << c.failure << c.note;
    }
}

}  // namespace
