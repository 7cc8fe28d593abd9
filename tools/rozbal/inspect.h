// rozbal list, verify and extract: reading an installer as the stub reads it.
#pragma once

#include <filesystem>

struct ReadOptions {
    std::filesystem::path archive;
    std::filesystem::path target;  // extract only
    bool show_password = false;    // list only
    bool quiet = false;
};

// Prints the header and every piece, volume by volume, on stdout. Throws
// InputError when the archive cannot be read to its last piece (after
// printing what could be read).
void RunList(const ReadOptions& options);

// Reads everything the installer would read, decodes every block file in
// memory and replays what the installer does with each piece. Prints a
// summary unless quiet; warnings go to stderr. Throws InputError naming the
// volume, offset and piece when the installer would stop.
void RunVerify(const ReadOptions& options);

// Unpacks into options.target, which must be new or empty, as the
// installer does: pieces written under their names (converted to UTF-8),
// block files decoded and removed. Refuses, before writing it, every piece
// the installer would refuse, so nothing lands outside the target. Runs
// nothing. Throws InputError, UsageError (target not empty) or OutputError.
void RunExtract(const ReadOptions& options);
