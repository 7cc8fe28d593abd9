// Test data for the builder's tests; scratch directories and file helpers
// come from tests/support.
#pragma once

#include <cstdint>
#include <string>

#include "tests/support/temp_dir.h"

// Deterministic bytes: text-like (compressible) or noise (incompressible).
inline std::string MakeData(size_t size, bool noise, unsigned seed = 1)
{
    std::string data(size, '\0');
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; i++) {
        state = state * 1664525u + 1013904223u;
        data[i] = noise ? static_cast<char>(state >> 24) : "lorem ipsum dolor sit amet\n"[(state >> 28) + i % 11];
    }
    return data;
}
