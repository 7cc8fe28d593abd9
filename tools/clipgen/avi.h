// The RIFF AVI container around the coded frames: one RLE8 video stream,
// 10 frames a second, with an idx1 index.
#pragma once

#include <vector>

#include "tools/clipgen/rle8.h"

namespace clipgen {

// The whole file for frames (coded frame data, the first a key frame).
Bytes WriteAvi(const std::vector<Bytes>& frames);

}  // namespace clipgen
