// Failures of the builder, one type per exit code, so that main() can turn
// whatever reaches it into a message and the documented status.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

enum ExitCode {
    EXIT_OK = 0,
    EXIT_USAGE = 1,   // bad command line
    EXIT_INPUT = 2,   // unreadable or unsuitable input, bad archive
    EXIT_OUTPUT = 3,  // cannot write the output
};

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct InputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct OutputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A signal asked the program to stop; `signal` is re-raised once the
// temporary files are gone, so the caller sees the usual signal death.
struct Interrupted : std::runtime_error {
    explicit Interrupted(int number) : std::runtime_error("interrupted"), signal(number)
    {
    }
    int signal;
};

// "what: reason" with reason taken from errno.
std::string SystemMessage(const std::string& what, int error);

// The bytes of the file at `path`, read whole. Throws InputError "cannot
// read WHAT PATH: reason" when it is missing, a directory or unreadable.
std::string ReadInputFile(const std::string& what, const std::filesystem::path& path);

// Prints "rozbal: text" on stderr: notes and warnings that do not stop the run.
void Note(const std::string& text);

// "1 file", "2 files": count and noun, the noun in the plural unless count is 1.
std::string Count(uint64_t count, const std::string& noun);

// "at least 54.7 s (547 pieces)": the least time the installer takes to
// unpack `pieces`, whatever the machine: it pauses 100 ms before each.
std::string UnpackTime(uint64_t pieces);

// Warns on stderr with UnpackTime when unpacking takes more than a minute.
void NoteUnpackTime(uint64_t pieces);

// Warns when files, the archive's file count, is more than the installer's
// progress bar counts (it takes only the count's low 16 bits).
void NoteFileCount(uint64_t files);
