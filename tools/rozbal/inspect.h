// rozbal list, verify and extract: reading an installer as the stub reads it.
#pragma once

#include "tools/rozbal/installer_run.h"

#include <filesystem>
#include <optional>
#include <string>

struct ReadOptions {
    std::filesystem::path archive;
    std::filesystem::path target;         // extract only
    bool show_password = false;           // list only
    bool names = false;                   // list only: the names alone
    bool json = false;                    // list and verify: a JSON document
    std::optional<std::string> password;  // verify and extract: typed at the prompt
    bool quiet = false;
};

// Prints the header and every piece, volume by volume, on stdout. Throws
// InputError when the archive cannot be read to its last piece (after
// printing what could be read).
void RunList(const ReadOptions& options);

// Prints the name of each file of the archive, once, one a line, as stored
// (shown in UTF-8). Throws InputError as RunList does.
void ListNames(const ReadOptions& options);

// Runs the installer's own worker on the archive, in a scratch directory,
// without pauses and without starting the setup program; the password
// prompt gets options.password, or, without it, the archive's own. Then
// checks what Windows would refuse or take for one file, the setup program
// and the file count. Prints a summary unless quiet. Throws InputError
// naming the volume, offset and piece, as far as they can be told, when
// the installer would stop. Returns what the archive holds.
ArchiveTotals RunVerify(const ReadOptions& options);

// Runs the installer's worker as verify does, with options.target (new or
// empty) as its temporary directory, then moves what it unpacked into the
// target under UTF-8 names. Without options.password an archive that asks
// for one is refused. Runs nothing. When the installer would stop, the
// target is left empty. Throws InputError, UsageError (target not empty) or OutputError.
void RunExtract(const ReadOptions& options);
