#include "tools/rozbal/response_file.h"

#include "tools/rozbal/errors.h"
#include "tools/rozbal/utf.h"

#include <algorithm>
#include <filesystem>

namespace {

// FILE's bytes as UTF-8 text. Throws InputError naming `name` when they are
// not valid text.
std::string ResponseText(const std::string& bytes, const std::string& name)
{
    std::u32string text;
    bool valid;
    if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0) {
        bool big_endian = bytes[0] == '\xFE';
        std::u16string units;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            auto first = static_cast<unsigned char>(bytes[i]),
                 second = static_cast<unsigned char>(bytes[i + 1]);
            units += static_cast<char16_t>(big_endian ? first << 8 | second : second << 8 | first);
        }
        valid = bytes.size() % 2 == 0 && DecodeUtf16(units, text);
    } else {
        valid = DecodeUtf8(bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes, text);
    }
    if (!valid)
        throw InputError("response file " + name + ": not UTF-8, nor UTF-16 with a byte-order mark");
    return EncodeUtf8(text);
}

}  // namespace

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
        std::string text = ResponseText(ReadInputFile("response file", std::filesystem::u8path(name)), name);
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
