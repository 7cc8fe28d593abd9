#include "tools/rozbal/system.h"

#include "tools/rozbal/names.h"

#include "tools/rozbal/errors.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <csignal>
#include <cstring>

namespace fs = std::filesystem;

namespace {

constexpr UINT kCp1250 = 1250;

// Converts between a code page and UTF-16; false when a character has no
// form in the target (no best-fit substitutes: a near letter would name
// another file).
bool ToWide(UINT code_page, const std::string& in, std::wstring& out)
{
    out.clear();
    if (in.empty())
        return true;
    int length = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()),
                                     nullptr, 0);
    if (length <= 0)
        return false;
    out.resize(static_cast<size_t>(length));
    return MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()),
                               out.data(), length) == length;
}

bool FromWide(UINT code_page, const std::wstring& in, std::string& out)
{
    out.clear();
    if (in.empty())
        return true;
    // UTF-8 takes neither the flag nor the question whether a default was used.
    DWORD flags = code_page == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL used_default = FALSE;
    BOOL* ask = code_page == CP_UTF8 ? nullptr : &used_default;
    int length = WideCharToMultiByte(code_page, flags, in.data(), static_cast<int>(in.size()), nullptr, 0,
                                     nullptr, ask);
    if (length <= 0 || used_default)
        return false;
    out.resize(static_cast<size_t>(length));
    return WideCharToMultiByte(code_page, flags, in.data(), static_cast<int>(in.size()), out.data(), length,
                               nullptr, ask) == length &&
           !used_default;
}

volatile LONG g_signal = 0;

BOOL WINAPI OnConsoleEvent(DWORD)
{
    InterlockedExchange(&g_signal, SIGINT);
    return TRUE;
}

}  // namespace

bool Utf8ToCp1250(const std::string& utf8, std::string& cp1250)
{
    std::wstring wide;
    return ToWide(CP_UTF8, utf8, wide) && FromWide(kCp1250, wide, cp1250);
}

bool Cp1250ToUtf8(const std::string& cp1250, std::string& utf8)
{
    // The system maps the five bytes the code page leaves undefined to
    // control characters; they name no character.
    if (cp1250.find_first_of("\x81\x83\x88\x90\x98") != std::string::npos)
        return false;
    std::wstring wide;
    return ToWide(kCp1250, cp1250, wide) && FromWide(CP_UTF8, wide, utf8);
}

std::vector<std::string> Arguments(int, char**)
{
    // The C run-time's argv is in the ANSI code page, which cannot hold every name.
    SetConsoleOutputCP(CP_UTF8);
    int argc = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> arguments;
    for (int i = 0; wide && i < argc; i++) {
        std::string utf8;
        if (!FromWide(CP_UTF8, wide[i], utf8))
            throw UsageError("argument " + std::to_string(i) + " is not valid Unicode");
        arguments.push_back(utf8);
    }
    LocalFree(wide);
    return arguments;
}

std::string WorkerPath(const fs::path& path)
{
    std::string ansi;
    if (!FromWide(CP_ACP, path.native(), ansi))
        throw InputError(path.string() + ": the system's code page cannot write this path");
    return ansi;
}

fs::path FromWorkerPath(const std::string& path)
{
    std::wstring wide;
    ToWide(CP_ACP, path, wide);
    return wide;
}

std::string ExtractedName(const fs::path& relative)
{
    // The platform layer wrote the archive's bytes in the ANSI code page
    // (1250 on Czech Windows); these are those bytes again.
    return WorkerPath(relative);
}

int OpenForReading(const fs::path& path)
{
    return _wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

int CreateExclusive(const fs::path& path)
{
    return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
}

std::error_code PlatformError(uint32_t value)
{
    return std::error_code(static_cast<int>(value), std::system_category());
}

bool IsMachineFault(const std::error_code& error)
{
    for (DWORD fault : {ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL, ERROR_ACCESS_DENIED, ERROR_WRITE_PROTECT,
                        ERROR_WRITE_FAULT, ERROR_NOT_ENOUGH_QUOTA})
        if (error.value() == static_cast<int>(fault))
            return true;
    return false;
}

bool IsTerminal(std::FILE* stream)
{
    DWORD mode;
    return GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), &mode) != 0;
}

unsigned long ProcessId()
{
    return GetCurrentProcessId();
}

fs::path ExecutablePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size())
            return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

const char* const kTempVariable = "TMP";  // the first GetTempPath looks at

std::optional<std::string> Environment(const char* name)
{
    DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0)
        return std::nullopt;
    std::string value(size, '\0');
    value.resize(GetEnvironmentVariableA(name, value.data(), size));
    return value;
}

void SetEnvironment(const char* name, const std::optional<std::string>& value)
{
    SetEnvironmentVariableA(name, value ? value->c_str() : nullptr);
}

InterruptGuard::InterruptGuard()
{
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

InterruptGuard::~InterruptGuard()
{
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
}

int InterruptGuard::Pending()
{
    return static_cast<int>(g_signal);
}

void EndBySignal(int)
{
    ExitProcess(STATUS_CONTROL_C_EXIT);
}
