#include "tools/rozbal/pe.h"

#include "archive/format.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace {

constexpr uint32_t kPeOffsetAt = 0x3C;     // in the DOS header
constexpr uint32_t kFileHeaderSize = 24;   // "PE\0\0" and the COFF header
constexpr uint32_t kSubsystemAt = 68;      // in the optional header, PE32 and PE32+ alike
constexpr uint32_t kSizeOfHeadersAt = 60;  // likewise
constexpr uint32_t kSectionSize = 40;
constexpr uint32_t kMostHeaderBytes = 1 << 16;  // DOS stub, headers and section table

}  // namespace

bool ReadPeHeaders(const std::filesystem::path& path, PeHeaders& headers)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> head(kMostHeaderBytes);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    size_t got = static_cast<size_t>(in.gcount());
    if (got < kPeOffsetAt + 4 || head[0] != 'M' || head[1] != 'Z')
        return false;
    uint32_t pe = ReadLe32(&head[kPeOffsetAt]);
    if (pe > got || got - pe < kFileHeaderSize || head[pe] != 'P' || head[pe + 1] != 'E' ||
        head[pe + 2] != 0 || head[pe + 3] != 0)
        return false;
    uint16_t sections = ReadLe16(&head[pe + 6]);
    uint16_t optional_size = ReadLe16(&head[pe + 20]);
    uint64_t optional = pe + kFileHeaderSize;
    uint64_t table = optional + optional_size;
    if (optional_size < kSubsystemAt + 2 || table + uint64_t{sections} * kSectionSize > got)
        return false;
    headers.machine = ReadLe16(&head[pe + 4]);
    headers.subsystem = ReadLe16(&head[optional + kSubsystemAt]);
    headers.image_end = ReadLe32(&head[optional + kSizeOfHeadersAt]);
    for (uint64_t at = table; at < table + uint64_t{sections} * kSectionSize; at += kSectionSize) {
        uint32_t raw_size = ReadLe32(&head[at + 16]), raw_at = ReadLe32(&head[at + 20]);
        if (raw_size != 0)
            headers.image_end = std::max<uint64_t>(headers.image_end, uint64_t{raw_at} + raw_size);
    }
    return true;
}
