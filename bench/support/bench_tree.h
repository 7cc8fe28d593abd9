// What the builder's benchmarks share: a deterministic tree of mixed data
// (text-like and binary-like files, large and small, with setup.exe at its
// root), a scratch directory, and timing shell commands.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// Fills `root` with about `megabytes` MB; returns the bytes written.
uint64_t MakeTree(const std::filesystem::path& root, uint64_t megabytes);

// A new directory under $TMPDIR.
std::filesystem::path MakeScratch();

// Runs `command` through the shell; returns its wall-clock seconds. Exits
// the benchmark when the command fails.
double Time(const std::string& command);

// A fake stub for packing: the benchmarks never run the installer.
std::filesystem::path WriteFakeStub(const std::filesystem::path& dir);
