#include "tests/shell/rle8_reader.h"

namespace cliptest {

namespace {

bool Read(const std::vector<uint8_t>& file, size_t at, size_t end, std::vector<Chunk>& out)
{
    while (at < end) {
        if (end - at < 8)
            return false;
        std::string id(file.begin() + at, file.begin() + at + 4);
        size_t size = U32(file, at + 4), data = at + 8;
        if (size > end - data)
            return false;
        if (id == "RIFF" || id == "LIST") {
            if (size < 4)
                return false;
            out.push_back({std::string(file.begin() + data, file.begin() + data + 4), data, {}});
            if (!Read(file, data + 4, data + size, out))
                return false;
        } else {
            out.push_back({id, data, {file.begin() + data, file.begin() + data + size}});
        }
        at = data + size + (size & 1);
    }
    return at == end;
}

}  // namespace

std::vector<Chunk> ReadChunks(const std::vector<uint8_t>& file)
{
    std::vector<Chunk> chunks;
    if (!Read(file, 0, file.size(), chunks))
        chunks.clear();
    return chunks;
}

std::string DecodeRle8(const std::vector<uint8_t>& code, int width, int height,
                       std::vector<uint8_t>& picture)
{
    int x = 0, row = 0;  // row counts from the bottom
    auto put = [&](uint8_t value) {
        if (x >= width || row >= height)
            return false;
        picture[size_t(height - 1 - row) * width + x++] = value;
        return true;
    };
    size_t at = 0;
    while (at + 2 <= code.size()) {
        uint8_t count = code[at], value = code[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                if (!put(value))
                    return "run outside the picture";
            continue;
        }
        switch (value) {
        case 0:
            x = 0;
            ++row;
            break;
        case 1:
            return at == code.size() ? "" : "data after the end of bitmap";
        case 2:
            if (at + 2 > code.size())
                return "truncated delta";
            x += code[at];
            row += code[at + 1];
            at += 2;
            break;
        default:
            if (at + value + (value & 1) > code.size())
                return "truncated absolute run";
            for (int i = 0; i < value; ++i)
                if (!put(code[at + i]))
                    return "absolute run outside the picture";
            at += value + (value & 1);
        }
    }
    return "no end of bitmap";
}

}  // namespace cliptest
