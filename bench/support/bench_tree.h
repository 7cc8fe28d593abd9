// What the builder's benchmarks share: a deterministic tree of mixed data
// (text-like and binary-like files, large and small, with setup.exe at its
// root), a scratch directory, and timing shell commands.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

// What a benchmark works on: a new directory under $TMPDIR, the tree in
// its "tree", and a fake stub for packing (the benchmarks never run the
// installer).
struct BenchInput {
    TempDir scratch;  // removed, with all in it, when the benchmark ends
    std::filesystem::path work, tree, stub;
    uint64_t bytes;  // in the tree
};

// Makes the input of about the megabytes that argv[1] names (default 240).
BenchInput MakeInput(int argc, char** argv);

// Runs `command` through the shell; returns its wall-clock seconds. Exits
// the benchmark when the command fails.
double Time(const std::string& command);
