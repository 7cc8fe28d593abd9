// What the builder needs from the operating system, one file per system:
// system_posix.cpp and system_win32.cpp, which also convert names between
// UTF-8 and code page 1250 (names.h). Text in the builder is UTF-8; paths
// are std::filesystem paths, made from UTF-8 with std::filesystem::u8path.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

// The command line as UTF-8 texts, argv[0] first, whatever the system's or
// the console's code page; also sets up the console to show UTF-8 output.
std::vector<std::string> Arguments(int argc, char** argv);

// `path` as the installer's platform layer takes it (its char paths).
// Throws InputError when the system's code page cannot name it.
std::string WorkerPath(const std::filesystem::path& path);

// A path the installer's platform layer gave back, as a path of this system.
std::filesystem::path FromWorkerPath(const std::string& path);

// The code page 1250 name of a file the installer wrote, relative to the
// directory it extracted to.
std::string ExtractedName(const std::filesystem::path& relative);

// Opens `path` for reading, or creates it for writing, failing when it
// exists; a file descriptor, or -1 with errno set.
int OpenForReading(const std::filesystem::path& path);
int CreateExclusive(const std::filesystem::path& path);

// An error value of the installer's platform layer (SysTakeWriteError): an
// errno value, or on Windows a GetLastError() value.
std::error_code PlatformError(uint32_t value);

// Whether `error` is the machine's fault rather than the data's: no room, no
// permission, a read-only or failing disk.
bool IsMachineFault(const std::error_code& error);

// Whether `stream` is a terminal (a console on Windows).
bool IsTerminal(std::FILE* stream);

// This process's number, for temporary names.
unsigned long ProcessId();

// The running executable, or an empty path.
std::filesystem::path ExecutablePath();

// The environment variable the installer's platform layer takes its
// temporary directory from, and reading and setting it (nullopt: unset).
extern const char* const kTempVariable;
std::optional<std::string> Environment(const char* name);
void SetEnvironment(const char* name, const std::optional<std::string>& value);

// While one lives, Ctrl-C, termination and hang-up only record which came
// (on Windows: any console control event, as SIGINT), so that a pack can
// remove its temporary files before the process ends.
class InterruptGuard {
  public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // The signal that came, or 0.
    static int Pending();
};

// Ends the process as `signal` would have without the guard: by the signal
// itself on Linux, so that the shell sees 128 + its number; on Windows with
// STATUS_CONTROL_C_EXIT, as programs ended by Ctrl-C do.
[[noreturn]] void EndBySignal(int signal);
