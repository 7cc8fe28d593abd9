// The demo installer's setup program: shows where the installer started it
// and which files it found beside itself.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t buffer[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
    std::wstring text = L"Instalační program byl spuštěn.\n\nAktuální adresář:\n    ";
    text.append(buffer, length < MAX_PATH ? length : 0);

    length = GetModuleFileNameW(NULL, buffer, MAX_PATH);
    std::wstring directory(buffer, length < MAX_PATH ? length : 0);
    directory.erase(directory.rfind(L'\\') + 1);
    text += L"\n\nSoubory vedle programu:";

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((directory + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            text += L"\n    " + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                text += L"\\";
            else
                text += L"  (" + std::to_wstring(found.nFileSizeLow) + L" B)";
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    MessageBoxW(NULL, text.c_str(), L"Ukázková instalace", MB_OK | MB_ICONINFORMATION);
    return 0;
}
