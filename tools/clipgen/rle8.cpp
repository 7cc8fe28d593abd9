#include "tools/clipgen/rle8.h"

#include <algorithm>

namespace clipgen {

namespace {

// Escape codes: a zero count followed by one of these.
constexpr uint8_t kEndOfLine = 0, kEndOfBitmap = 1, kDelta = 2;

// Changed pixels closer than this are coded together: skipping costs a
// 4-byte delta escape.
constexpr int kMinGap = 4;

// Coded rows are bottom-up.
int PictureRow(int coded_row)
{
    return kHeight - 1 - coded_row;
}

void PutLiterals(Bytes& out, const uint8_t* pixels, int count)
{
    if (count < 3) {  // absolute mode needs at least 3 pixels
        for (int i = 0; i < count; ++i)
            out.insert(out.end(), {1, pixels[i]});
        return;
    }
    out.insert(out.end(), {0, uint8_t(count)});
    out.insert(out.end(), pixels, pixels + count);
    if (count % 2)
        out.push_back(0);  // absolute runs end on a word boundary
}

// Codes count pixels: runs of 3 or more as encoded pairs, the rest in
// absolute mode.
void PutPixels(Bytes& out, const uint8_t* pixels, int count)
{
    int literal_start = 0, i = 0;
    while (i < count) {
        int run = 1;
        while (i + run < count && run < 255 && pixels[i + run] == pixels[i])
            ++run;
        if (run < 3) {
            i += run;
            continue;
        }
        for (int at = literal_start; at < i; at += 255)
            PutLiterals(out, pixels + at, std::min(255, i - at));
        out.insert(out.end(), {uint8_t(run), pixels[i]});
        i += run;
        literal_start = i;
    }
    for (int at = literal_start; at < count; at += 255)
        PutLiterals(out, pixels + at, std::min(255, count - at));
}

void Put(Bytes& out, uint8_t escape)
{
    out.insert(out.end(), {0, escape});
}

// Moves the decoder's position (x, row) forward to (to_x, to_row).
void MoveTo(Bytes& out, int& x, int& row, int to_x, int to_row)
{
    if (to_row > row && to_x < x) {  // a delta cannot move left
        Put(out, kEndOfLine);
        x = 0;
        ++row;
    }
    while (x != to_x || row != to_row) {
        int dx = std::min(255, to_x - x), dy = std::min(255, to_row - row);
        out.insert(out.end(), {0, kDelta, uint8_t(dx), uint8_t(dy)});
        x += dx;
        row += dy;
    }
}

}  // namespace

Bytes EncodeKeyFrame(const Picture& picture)
{
    Bytes out;
    for (int row = 0; row < kHeight; ++row) {
        if (row > 0)
            Put(out, kEndOfLine);
        PutPixels(out, picture.row(PictureRow(row)), kWidth);
    }
    Put(out, kEndOfBitmap);
    return out;
}

Bytes EncodeDeltaFrame(const Picture& previous, const Picture& next)
{
    Bytes out;
    int x = 0, row = 0;
    for (int coded_row = 0; coded_row < kHeight; ++coded_row) {
        int y = PictureRow(coded_row);
        auto changed = [&](int at) { return previous.at(at, y) != next.at(at, y); };
        int at = 0;
        while (at < kWidth) {
            if (!changed(at)) {
                ++at;
                continue;
            }
            // Extend the span over short unchanged gaps.
            int end = at + 1, last_change = at;
            while (end < kWidth && end - last_change <= kMinGap) {
                if (changed(end))
                    last_change = end;
                ++end;
            }
            end = last_change + 1;
            MoveTo(out, x, row, at, coded_row);
            PutPixels(out, next.row(y) + at, end - at);
            x = end;
            at = end;
        }
    }
    Put(out, kEndOfBitmap);
    return out;
}

}  // namespace clipgen
