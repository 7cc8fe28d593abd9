#include "tools/rozbal/response_file.h"

#include "tools/rozbal/errors.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16 after its byte-order mark; false for an odd length or a lone
// surrogate.
bool Utf16ToUtf8(const std::string& bytes, bool big_endian, std::string& out)
{
    if (bytes.size() % 2)
        return false;
    auto unit = [&](size_t i) {
        auto hi = static_cast<unsigned char>(bytes[i + (big_endian ? 0 : 1)]);
        auto lo = static_cast<unsigned char>(bytes[i + (big_endian ? 1 : 0)]);
        return static_cast<char32_t>(hi << 8 | lo);
    };
    for (size_t i = 2; i < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xDC00 && c < 0xE000)
            return false;
        if (c >= 0xD800 && c < 0xDC00) {
            char32_t low = i + 2 < bytes.size() ? unit(i + 2) : 0;
            if (low < 0xDC00 || low >= 0xE000)
                return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        AppendUtf8(out, c);
    }
    return true;
}

// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool ValidUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        size_t length = byte < 0x80         ? 1
                        : (byte >> 5) == 6  ? 2
                        : (byte >> 4) == 14 ? 3
                        : (byte >> 3) == 30 ? 4
                                            : 0;
        if (length == 0 || i + length > text.size())
            return false;
        char32_t c = length == 1 ? byte : byte & (0x7F >> length);
        for (size_t k = 1; k < length; k++) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = c << 6 | (next & 0x3F);
        }
        static const char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000))
            return false;
        i += length;
    }
    return true;
}

}  // namespace

std::string ResponseText(const std::string& bytes, const std::string& name)
{
    std::string text;
    bool valid;
    if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0)
        valid = Utf16ToUtf8(bytes, bytes[0] == '\xFE', text);
    else {
        text = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
        valid = ValidUtf8(text);
    }
    if (!valid)
        throw InputError("response file " + name + ": not UTF-8, nor UTF-16 with a byte-order mark");
    return text;
}

std::vector<std::string> ExpandResponseFiles(const std::vector<std::string>& arguments)
{
    std::vector<std::string> expanded;
    for (size_t i = 0; i < arguments.size(); i++) {
        const std::string& argument = arguments[i];
        if (i == 0 || argument.size() < 2 || argument[0] != '@') {
            expanded.push_back(argument);
            continue;
        }
        std::string name = argument.substr(1);
        std::ifstream in(std::filesystem::u8path(name), std::ios::binary);
        std::string bytes;
        if (in)
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in || in.bad())
            throw InputError("cannot read response file " + name);
        std::string text = ResponseText(bytes, name);
        for (size_t start = 0; start < text.size();) {
            size_t end = std::min(text.find('\n', start), text.size());
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty())
                expanded.push_back(line);
            start = end + 1;
        }
    }
    return expanded;
}
