// Scanning the tree to pack: which files, under which archive names, in
// which order, and which of them become block files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Which files are stored as block files. A pattern without '/' is matched
// against a file's name, one with '/' against its path relative to the tree
// (shell glob rules, '*' not crossing '/').
struct CompressRule {
    std::vector<std::string> patterns;
    bool all = false;

    bool Matches(const std::string& relative_path) const;
};

// Whether `text` matches the shell pattern `pattern` (*, ?, [...] with
// ranges, negation and [:classes:], \ quoting), byte by byte; with
// `whole_path`, only a '/' of the pattern matches a '/'. The same on every
// system, so that a tree packs alike everywhere.
bool MatchPattern(const std::string& pattern, const std::string& text, bool whole_path);

struct PackFile {
    std::filesystem::path source;  // the file on disk
    std::string relative;          // its path in the tree, UTF-8, '/'-separated
    std::string archive_name;      // code page 1250, '\'-separated, ".xxx" for block files
    bool compressed = false;
    uint64_t size = 0;  // when scanned
};

struct TreeScan {
    std::vector<PackFile> files;        // in the order they are to be stored
    std::vector<std::string> warnings;  // empty directories left out
};

// Scans `root` and returns its regular files (symbolic links to regular
// files count as such) in installation order: in each directory its own
// files, sorted byte-wise by archive name, before its subdirectories, sorted
// likewise, so that the installer, which creates one directory level per
// file, always finds a file's parent directory made. Directories without any
// file below them are left out with a warning. Throws InputError naming
// every name that cannot be converted or that the installer would refuse,
// and every plain file whose name ends in ".xxx" (after the first 50, how
// many more); naming the path for: an unreadable directory, a special file
// or a link to anything but a regular file, two names that are
// one on Windows, a directory holding subdirectories but no file of its own,
// and a tree without files.
TreeScan ScanTree(const std::filesystem::path& root, const CompressRule& rule);
