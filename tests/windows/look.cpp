// look FILE: what Windows shows of an executable, for the tests of rozbal
// pack's icon and version information, one report a line:
//   icons N                  icon groups (ExtractIconExA)
//   large WxH RRGGBB         first group's large icon: size, middle pixel
//   small WxH RRGGBB         and its small icon
//   fixed FILE PRODUCT       the fixed versions, a.b.c.d
//   NAME "TEXT"              each string of the Czech code page 1250 table
// Exit code 0, or 1 when the file has no version information.
#include "tests/windows/report.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

void ReportIcon(const char* which, HICON icon)
{
    ICONINFO info;
    BITMAP bitmap;
    if (!icon || !GetIconInfo(icon, &info)) {
        Report("%s none", which);
        return;
    }
    HBITMAP colour = info.hbmColor ? info.hbmColor : info.hbmMask;
    GetObjectA(colour, sizeof bitmap, &bitmap);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, colour);
    COLORREF pixel = GetPixel(dc, bitmap.bmWidth / 2, bitmap.bmHeight / 2);
    SelectObject(dc, old);
    DeleteDC(dc);
    Report("%s %ldx%ld %02X%02X%02X", which, bitmap.bmWidth, bitmap.bmHeight, GetRValue(pixel),
           GetGValue(pixel), GetBValue(pixel));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
}

std::string Dotted(DWORD high, DWORD low)
{
    char text[64];
    snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF);
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: look FILE\n");
        return 2;
    }
    const char* file = argv[1];
    Report("icons %u", ExtractIconExA(file, -1, nullptr, nullptr, 0));
    HICON large = nullptr, small = nullptr;
    ExtractIconExA(file, 0, &large, &small, 1);
    ReportIcon("large", large);
    ReportIcon("small", small);

    DWORD ignored;
    DWORD size = GetFileVersionInfoSizeA(file, &ignored);
    std::string data(size, '\0');
    if (!size || !GetFileVersionInfoA(file, 0, size, &data[0]))
        return 1;
    VS_FIXEDFILEINFO* fixed;
    UINT length;
    if (VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length))
        Report("fixed %s %s", Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS).c_str(),
               Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS).c_str());
    for (const char* name : {"CompanyName", "FileDescription", "FileVersion", "LegalCopyright",
                             "OriginalFilename", "ProductName", "ProductVersion"}) {
        char* text;
        std::string path = std::string("\\StringFileInfo\\040504e2\\") + name;
        if (VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&text), &length))
            Report("%s %s", name, Quote(text).c_str());
    }
    return 0;
}
