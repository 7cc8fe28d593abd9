#include "tools/clipgen/avi.h"

#include <algorithm>
#include <string>

namespace clipgen {

namespace {

constexpr uint32_t kMicrosecondsPerFrame = 100000;
constexpr uint32_t kScale = 100000, kRate = 1000000;  // 10 frames a second
constexpr uint32_t kHasIndex = 0x10;                  // AVIF_HASINDEX
constexpr uint32_t kKeyFrame = 0x10;                  // AVIIF_KEYFRAME
constexpr uint32_t kBiRle8 = 1;

// Little-endian writer with RIFF chunks whose sizes are filled in when they
// close.
class Writer {
  public:
    void U8(uint8_t v)
    {
        out_.push_back(v);
    }
    void U16(uint16_t v)
    {
        U8(v & 0xFF), U8(v >> 8);
    }
    void U32(uint32_t v)
    {
        U16(v & 0xFFFF), U16(v >> 16);
    }
    void FourCC(const char* code)
    {
        out_.insert(out_.end(), code, code + 4);
    }
    void Append(const Bytes& data)
    {
        out_.insert(out_.end(), data.begin(), data.end());
    }

    // Starts a chunk, or a RIFF/LIST with its form type; returns its start.
    size_t Open(const char* id, const char* form = nullptr)
    {
        size_t start = out_.size();
        FourCC(id);
        U32(0);
        if (form)
            FourCC(form);
        return start;
    }

    void Close(size_t start)
    {
        if (out_.size() % 2)
            U8(0);
        uint32_t size = uint32_t(out_.size() - start - 8);
        for (int i = 0; i < 4; ++i)
            out_[start + 4 + i] = uint8_t(size >> (8 * i));
    }

    size_t size() const
    {
        return out_.size();
    }
    Bytes Take()
    {
        return std::move(out_);
    }

  private:
    Bytes out_;
};

}  // namespace

Bytes WriteAvi(const std::vector<Bytes>& frames)
{
    uint32_t largest = 0;
    for (const Bytes& frame : frames)
        largest = std::max(largest, uint32_t(frame.size()));
    const uint32_t count = uint32_t(frames.size());

    Writer w;
    size_t riff = w.Open("RIFF", "AVI ");
    size_t hdrl = w.Open("LIST", "hdrl");

    size_t avih = w.Open("avih");
    w.U32(kMicrosecondsPerFrame);
    w.U32(largest * (kRate / kScale));  // max bytes per second
    w.U32(0);                           // padding granularity
    w.U32(kHasIndex);
    w.U32(count);
    w.U32(0);  // initial frames
    w.U32(1);  // streams
    w.U32(largest);
    w.U32(kWidth);
    w.U32(kHeight);
    for (int i = 0; i < 4; ++i)
        w.U32(0);
    w.Close(avih);

    size_t strl = w.Open("LIST", "strl");
    size_t strh = w.Open("strh");
    w.FourCC("vids");
    w.FourCC("RLE ");
    w.U32(0);  // flags
    w.U16(0);  // priority
    w.U16(0);  // language
    w.U32(0);  // initial frames
    w.U32(kScale);
    w.U32(kRate);
    w.U32(0);  // start
    w.U32(count);
    w.U32(largest);
    w.U32(0xFFFFFFFF);  // quality: default
    w.U32(0);           // sample size: varies
    w.U16(0), w.U16(0), w.U16(kWidth), w.U16(kHeight);
    w.Close(strh);

    size_t strf = w.Open("strf");
    w.U32(40);  // BITMAPINFOHEADER size
    w.U32(kWidth);
    w.U32(kHeight);  // positive: bottom-up
    w.U16(1);        // planes
    w.U16(8);        // bits per pixel
    w.U32(kBiRle8);
    w.U32(kWidth * kHeight);
    w.U32(0), w.U32(0);  // pixels per metre
    w.U32(uint32_t(kPalette.size()));
    w.U32(0);  // all colours important
    for (uint32_t rgb : kPalette)
        w.U32(rgb);  // RGBQUAD: blue, green, red, 0
    w.Close(strf);
    w.Close(strl);
    w.Close(hdrl);

    size_t movi = w.Open("LIST", "movi");
    std::vector<uint32_t> offsets;
    for (const Bytes& frame : frames) {
        offsets.push_back(uint32_t(w.size() - (movi + 8)));  // from the "movi" code
        size_t chunk = w.Open("00dc");
        w.Append(frame);
        w.Close(chunk);
    }
    w.Close(movi);

    size_t idx1 = w.Open("idx1");
    for (uint32_t i = 0; i < count; ++i) {
        w.FourCC("00dc");
        w.U32(i == 0 ? kKeyFrame : 0);
        w.U32(offsets[i]);
        w.U32(uint32_t(frames[i].size()));
    }
    w.Close(idx1);
    w.Close(riff);
    return w.Take();
}

}  // namespace clipgen
