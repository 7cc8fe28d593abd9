// The clip's pictures: 272 x 60 pixels of 16-colour palette indices, and
// the drawing of its 26 frames.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace clipgen {

constexpr int kWidth = 272;
constexpr int kHeight = 60;
constexpr int kFrames = 26;
constexpr int kMovingFrames = 24;  // the rest repeat the last picture

// Palette indices, in palette order (the standard VGA colours).
enum Colour : uint8_t {
    kBlack,
    kMaroon,
    kGreen,
    kOlive,
    kNavy,
    kPurple,
    kTeal,
    kGrey,
    kSilver,
    kRed,
    kLime,
    kYellow,
    kBlue,
    kMagenta,
    kCyan,
    kWhite,
};

// RGB of each palette index.
extern const std::array<uint32_t, 16> kPalette;

// Rows top to bottom, kWidth indices each.
struct Picture {
    std::array<uint8_t, kWidth * kHeight> pixels;

    uint8_t at(int x, int y) const
    {
        return pixels[y * kWidth + x];
    }
    uint8_t& at(int x, int y)
    {
        return pixels[y * kWidth + x];
    }
    const uint8_t* row(int y) const
    {
        return &pixels[y * kWidth];
    }
};

// The kMovingFrames pictures of the sheet's flight, the first complete.
std::vector<Picture> DrawFlight();

}  // namespace clipgen
