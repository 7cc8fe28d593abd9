// The committed clip, read with our own reader: its headers, palette,
// index and frames, that the frames show something moving from left to
// right on magenta, and exactly what clipgen drew.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "tests/shell/rle8_reader.h"
#include "tools/clipgen/picture.h"

namespace cliptest {
namespace {

constexpr int kWidth = 272, kHeight = 60, kFrames = 26;
constexpr uint8_t kMagenta = 13;

class Clip : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::ifstream in(ROZBAL_SOURCE_DIR "/resources/animation.avi", std::ios::binary);
        file_.assign(std::istreambuf_iterator<char>(in), {});
        chunks_ = ReadChunks(file_);
        ASSERT_FALSE(chunks_.empty());
        for (const Chunk& chunk : chunks_) {
            if (chunk.id == "00dc")
                frames_.push_back(chunk);
        }
    }

    const Chunk& Find(const std::string& id)
    {
        for (const Chunk& chunk : chunks_) {
            if (chunk.id == id)
                return chunk;
        }
        ADD_FAILURE() << "no chunk " << id;
        static const Chunk none{"", 0, std::vector<uint8_t>(128)};
        return none;
    }

    // Every frame decoded in turn onto one picture, as a player does.
    std::vector<std::vector<uint8_t>> Pictures()
    {
        std::vector<std::vector<uint8_t>> pictures;
        std::vector<uint8_t> picture(kWidth * kHeight, 0xFF);  // 0xFF: never written
        for (const Chunk& frame : frames_) {
            EXPECT_EQ(DecodeRle8(frame.data, kWidth, kHeight, picture), "")
                << "frame " << pictures.size() + 1;
            pictures.push_back(picture);
        }
        return pictures;
    }

    std::vector<uint8_t> file_;
    std::vector<Chunk> chunks_;
    std::vector<Chunk> frames_;
};

TEST_F(Clip, LaysOutOneVideoStreamWithAnIndex)
{
    std::vector<std::string> ids;
    for (const Chunk& chunk : chunks_)
        ids.push_back(chunk.id);
    std::vector<std::string> want = {"AVI ", "hdrl", "avih", "strl", "strh", "strf", "movi"};
    want.insert(want.end(), kFrames, "00dc");
    want.push_back("idx1");
    EXPECT_EQ(ids, want);
}

TEST_F(Clip, Headers)
{
    const struct {
        const char* chunk;
        size_t offset;
        uint32_t value;
        const char* what;
    } cases[] = {
        {"avih", 0, 100000, "microseconds per frame"},
        {"avih", 16, kFrames, "total frames"},
        {"avih", 24, 1, "streams"},
        {"avih", 32, kWidth, "width"},
        {"avih", 36, kHeight, "height"},
        {"strh", 0, 0x73646976, "type vids"},
        {"strh", 4, 0x20454C52, "handler RLE"},
        {"strh", 20, 100000, "scale"},
        {"strh", 24, 1000000, "rate"},
        {"strh", 32, kFrames, "length"},
        {"strf", 0, 40, "BITMAPINFOHEADER size"},
        {"strf", 4, kWidth, "width"},
        {"strf", 8, kHeight, "height, bottom-up"},
        {"strf", 12, 0x00080001, "1 plane, 8 bits"},
        {"strf", 16, 1, "BI_RLE8"},
        {"strf", 32, 16, "colours used"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(U32(Find(c.chunk).data, c.offset), c.value) << c.chunk << " " << c.what;
}

TEST_F(Clip, PaletteIsTheSixteenVgaColours)
{
    const uint32_t vga[16] = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
        0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
    };
    const std::vector<uint8_t>& strf = Find("strf").data;
    ASSERT_EQ(strf.size(), 40u + 16 * 4);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(U32(strf, 40 + 4 * i), vga[i]) << "colour " << i;  // blue, green, red, 0
}

TEST_F(Clip, IndexListsEveryFrameFirstAsKeyFrame)
{
    const std::vector<uint8_t>& idx1 = Find("idx1").data;
    size_t movi = Find("movi").offset;  // the index counts from the "movi" code
    ASSERT_EQ(idx1.size(), size_t(kFrames) * 16);
    ASSERT_EQ(frames_.size(), size_t(kFrames));
    for (int i = 0; i < kFrames; ++i) {
        EXPECT_EQ(std::string(idx1.begin() + 16 * i, idx1.begin() + 16 * i + 4), "00dc");
        EXPECT_EQ(U32(idx1, 16 * i + 4), i == 0 ? 0x10u : 0u) << "flags of frame " << i + 1;
        EXPECT_EQ(movi + U32(idx1, 16 * i + 8) + 8, frames_[i].offset) << "frame " << i + 1;
        EXPECT_EQ(U32(idx1, 16 * i + 12), frames_[i].data.size()) << "frame " << i + 1;
    }
}

TEST_F(Clip, FirstFrameIsCompleteOnMagenta)
{
    std::vector<std::vector<uint8_t>> pictures = Pictures();
    ASSERT_EQ(pictures.size(), size_t(kFrames));
    for (uint8_t pixel : pictures[0])
        ASSERT_LT(pixel, 16) << "a pixel the first frame leaves out or off the palette";
    EXPECT_EQ(pictures[0][0], kMagenta);
}

TEST_F(Clip, SomethingMovesLeftToRightThenTheLastPictureHolds)
{
    std::vector<std::vector<uint8_t>> pictures = Pictures();
    ASSERT_EQ(pictures.size(), size_t(kFrames));
    double first_x = -1, previous_x = 0;
    for (int i = 1; i < 24; ++i) {
        double sum = 0;
        int changed = 0;
        for (int p = 0; p < kWidth * kHeight; ++p) {
            if (pictures[i][p] != pictures[i - 1][p]) {
                sum += p % kWidth;
                ++changed;
            }
        }
        ASSERT_GT(changed, 0) << "frame " << i + 1 << " changes nothing";
        double x = sum / changed;  // where the change is, across the picture
        EXPECT_GE(x, previous_x - 1) << "frame " << i + 1 << " moves back";
        if (first_x < 0)
            first_x = x;
        previous_x = x;
    }
    EXPECT_LT(first_x, kWidth / 3) << "the sheet starts at the left";
    EXPECT_GT(previous_x, 2 * kWidth / 3) << "the sheet ends at the right";
    for (int i = 24; i < kFrames; ++i)
        EXPECT_EQ(frames_[i].data, std::vector<uint8_t>({0, 1})) << "frame " << i + 1;
}

// The coding loses nothing: frame by frame, what a player shows is what
// clipgen drew (its drawing, not its coding, is what this trusts), and the
// last picture holds.
TEST_F(Clip, FramesShowExactlyTheDrawnPictures)
{
    std::vector<std::vector<uint8_t>> pictures = Pictures();
    std::vector<clipgen::Picture> drawn = clipgen::DrawFlight();
    ASSERT_EQ(pictures.size(), size_t(kFrames));
    ASSERT_FALSE(drawn.empty());
    for (size_t i = 0; i < pictures.size(); ++i) {
        const clipgen::Picture& want = drawn[std::min(i, drawn.size() - 1)];
        EXPECT_TRUE(std::equal(pictures[i].begin(), pictures[i].end(), want.pixels.begin(), want.pixels.end()))
            << "frame " << i + 1;
    }
}

}  // namespace
}  // namespace cliptest
