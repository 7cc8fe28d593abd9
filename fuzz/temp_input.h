// The fuzz targets read their input from a file, as the installer does: one
// private directory per process, removed at exit.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

// Full path of name inside the process's fuzzing directory.
std::string TempPath(const char* name);

// Writes size bytes at data to TempPath(name) and returns that path.
std::string WriteTempFile(const char* name, const uint8_t* data, size_t size);
