// clipgen OUTPUT: draws the installer's animation clip and writes it as an
// RLE8 AVI to OUTPUT (the committed resources/animation.avi).
#include <cstdio>
#include <fstream>

#include "tools/clipgen/avi.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: clipgen OUTPUT.avi\n");
        return 2;
    }
    using namespace clipgen;
    std::vector<Picture> pictures = DrawFlight();
    std::vector<Bytes> frames{EncodeKeyFrame(pictures.front())};
    for (size_t i = 1; i < pictures.size(); ++i)
        frames.push_back(EncodeDeltaFrame(pictures[i - 1], pictures[i]));
    while (frames.size() < size_t(kFrames))  // hold the last picture
        frames.push_back(EncodeDeltaFrame(pictures.back(), pictures.back()));

    Bytes avi = WriteAvi(frames);
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(avi.data()), std::streamsize(avi.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "clipgen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
