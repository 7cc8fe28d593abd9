#include "tests/windows/report.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdarg>
#include <cstdio>

namespace {

std::wstring Widen(const std::string& text, UINT code_page)
{
    int n = MultiByteToWideChar(code_page, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(code_page, 0, text.data(), int(text.size()), &wide[0], n);
    return wide;
}

std::string Narrow(const std::wstring& text, UINT code_page)
{
    int n = WideCharToMultiByte(code_page, 0, text.data(), int(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string narrow(n, '\0');
    WideCharToMultiByte(code_page, 0, text.data(), int(text.size()), &narrow[0], n, nullptr,
                        nullptr);
    return narrow;
}

}  // namespace

std::string Quote(const char* text)
{
    std::string out = "\"";
    for (const char* p = text; *p; ++p) {
        unsigned char c = (unsigned char)*p;
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default:
            if (c < 0x20) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02x", c);
                out += hex;
            } else if (c < 0x80) {
                out += char(c);
            } else {
                out += Narrow(Widen(std::string(1, char(c)), CP_ACP), CP_UTF8);
            }
        }
    }
    return out + "\"";
}

std::string FromUtf8(const std::string& text)
{
    return Narrow(Widen(text, CP_UTF8), CP_ACP);
}

void Report(const char* format, ...)
{
    static bool binary = false;
    if (!binary) {  // "\n", not "\r\n": the tests compare lines
        _setmode(_fileno(stdout), _O_BINARY);
        binary = true;
    }
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
