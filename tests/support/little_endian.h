// Little-endian numbers in the bytes a test writes or looks into (archives,
// PE images, resource data, RIFF chunks), independently of the product's
// own ReadLe32 and WriteLe32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The 16- and 32-bit numbers at offset at of data, any container of bytes;
// reading past its end throws std::out_of_range instead of reading on.
template <class Bytes>
uint16_t U16(const Bytes& data, size_t at)
{
    return uint16_t((uint8_t)data.at(at) | (uint8_t)data.at(at + 1) << 8);
}

template <class Bytes>
uint32_t U32(const Bytes& data, size_t at)
{
    return U16(data, at) | uint32_t(U16(data, at + 2)) << 16;
}

// value as its 4 bytes.
inline std::string LittleEndian32(uint32_t value)
{
    return {(char)value, (char)(value >> 8), (char)(value >> 16), (char)(value >> 24)};
}
