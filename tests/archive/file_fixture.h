// A fresh directory per test, and whole-file helpers on byte vectors; the
// archive parts come from the shared writer, as bytes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/archive_writer.h"
#include "tests/support/little_endian.h"
#include "tests/support/temp_dir.h"

using Bytes = std::vector<unsigned char>;

class FileFixture : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    std::string Write(const std::string& name, const Bytes& bytes) const
    {
        std::string path = PathOf(name);
        WriteFile(path, std::string(bytes.begin(), bytes.end()));
        return path;
    }

    static Bytes Read(const std::string& path)
    {
        std::string bytes = ReadFile(path);
        return Bytes(bytes.begin(), bytes.end());
    }

    TempDir dir_;
};

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline Bytes AsBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

inline std::string AsText(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

inline Bytes Le32(uint32_t value)
{
    return AsBytes(LittleEndian32(value));
}
