#include "tools/clipgen/rle8.h"

#include <algorithm>

namespace clipgen {

namespace {

// Escape codes: a zero count followed by one of these.
constexpr uint8_t kEndOfLine = 0, kEndOfBitmap = 1, kDelta = 2;

// Coded rows are bottom-up.
int PictureRow(int coded_row)
{
    return kHeight - 1 - coded_row;
}

// Absolute mode needs at least 3 pixels and ends on a word boundary.
int LiteralCost(int count)
{
    return 2 + count + count % 2;
}

// Codes count pixels in the fewest bytes: each stretch either as an encoded
// run of one colour (2 bytes, up to 255 pixels) or in absolute mode
// (3 to 255 pixels). cost[i] is the least cost of the first i pixels.
void PutPixels(Bytes& out, const uint8_t* pixels, int count)
{
    std::vector<int> cost(count + 1, 0), length(count + 1, 0);
    std::vector<bool> literal(count + 1, false);
    for (int end = 1; end <= count; ++end) {
        cost[end] = -1;
        for (int n = 1; n <= std::min(255, end); ++n) {
            const uint8_t* stretch = pixels + end - n;
            if (n > 1 && stretch[0] != stretch[1])
                break;
            if (cost[end] < 0 || cost[end - n] + 2 < cost[end])
                cost[end] = cost[end - n] + 2, length[end] = n, literal[end] = false;
        }
        for (int n = 3; n <= std::min(255, end); ++n) {
            if (cost[end - n] + LiteralCost(n) < cost[end])
                cost[end] = cost[end - n] + LiteralCost(n), length[end] = n, literal[end] = true;
        }
    }
    std::vector<int> ends;
    for (int end = count; end > 0; end -= length[end])
        ends.push_back(end);
    for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
        int n = length[*it];
        const uint8_t* stretch = pixels + *it - n;
        if (!literal[*it]) {
            out.insert(out.end(), {uint8_t(n), stretch[0]});
            continue;
        }
        out.insert(out.end(), {0, uint8_t(n)});
        out.insert(out.end(), stretch, stretch + n);
        if (n % 2)
            out.push_back(0);
    }
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

// What coding count pixels costs.
size_t PixelCost(const uint8_t* pixels, int count)
{
    Bytes coded;
    PutPixels(coded, pixels, count);
    return coded.size();
}

// Brings the decoder's position (x, row) to (to_x, to_row), where changed
// pixels start, the cheaper way: by escapes, or by coding the unchanged
// pixels on the way again (after an end of line when to_row is the next
// row). row_pixels is to_row's picture row. Returns where the pixels to
// code start.
int Reach(Bytes& out, int& x, int& row, int to_x, int to_row, const uint8_t* row_pixels)
{
    Bytes moves;
    int moved_x = x, moved_row = row;
    MoveTo(moves, moved_x, moved_row, to_x, to_row);
    bool same_row = to_row == row && to_x >= x, next_row = to_row == row + 1;
    int from = same_row ? x : 0;
    if ((same_row || next_row) && (next_row ? 2 : 0) + PixelCost(row_pixels + from, to_x - from) < moves.size()) {
        if (next_row) {
            Put(out, kEndOfLine);
            x = 0;
            ++row;
        }
        return from;
    }
    out.insert(out.end(), moves.begin(), moves.end());
    x = moved_x;
    row = moved_row;
    return to_x;
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
        for (int at = 0; at < kWidth;) {
            if (!changed(at)) {
                ++at;
                continue;
            }
            int end = at + 1;
            while (end < kWidth && changed(end))
                ++end;
            int from = Reach(out, x, row, at, coded_row, next.row(y));
            PutPixels(out, next.row(y) + from, end - from);
            x = at = end;
        }
    }
    Put(out, kEndOfBitmap);
    return out;
}

}  // namespace clipgen
