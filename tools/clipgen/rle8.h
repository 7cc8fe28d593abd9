// BI_RLE8 coding of the clip's frames. Bitmaps are bottom-up: the first
// coded row is the picture's bottom row.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/clipgen/picture.h"

namespace clipgen {

using Bytes = std::vector<uint8_t>;

// The complete picture: every row, an end of line after each row but the
// last, then the end of the bitmap.
Bytes EncodeKeyFrame(const Picture& picture);

// Only the pixels of next that differ from previous, reaching them with
// delta and end-of-line escapes; a decoder that keeps its previous output
// rebuilds next. Identical pictures give just the end of the bitmap.
Bytes EncodeDeltaFrame(const Picture& previous, const Picture& next);

}  // namespace clipgen
