#include "tools/rozbal/utf.h"

bool DecodeUtf8(const std::string& utf8, std::u32string& out)
{
    static const char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    for (size_t i = 0; i < utf8.size();) {
        auto byte = static_cast<unsigned char>(utf8[i]);
        size_t length = byte < 0x80           ? 1
                        : (byte >> 5) == 0x06 ? 2
                        : (byte >> 4) == 0x0E ? 3
                        : (byte >> 3) == 0x1E ? 4
                                              : 0;
        if (length == 0 || i + length > utf8.size())
            return false;
        char32_t c = length == 1 ? byte : byte & (0x7F >> length);
        for (size_t k = 1; k < length; k++) {
            auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = c << 6 | (next & 0x3F);
        }
        if (c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000))
            return false;
        out += c;
        i += length;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    int tail = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    static const unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLead[tail] | c >> (6 * tail));
    for (int k = tail - 1; k >= 0; k--)
        out += static_cast<char>(0x80 | (c >> (6 * k) & 0x3F));
}

bool DecodeUtf16(const std::u16string& utf16, std::u32string& out)
{
    for (size_t i = 0; i < utf16.size(); i++) {
        char32_t c = utf16[i];
        if (c >= 0xDC00 && c < 0xE000)
            return false;
        if (c >= 0xD800 && c < 0xDC00) {
            char32_t low = i + 1 < utf16.size() ? utf16[i + 1] : 0;
            if (low < 0xDC00 || low >= 0xE000)
                return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i++;
        }
        out += c;
    }
    return true;
}

std::u16string EncodeUtf16(const std::u32string& text)
{
    std::u16string out;
    for (char32_t c : text) {
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string EncodeUtf8(const std::u32string& text)
{
    std::string out;
    for (char32_t c : text)
        AppendUtf8(out, c);
    return out;
}
