#include "tools/rozbal/signature.h"

#include "archive/container.h"
#include "tools/rozbal/errors.h"
#include "tools/rozbal/reader.h"
#include "tools/rozbal/system.h"

#include <errno.h>

namespace {

struct File {
    explicit File(const std::filesystem::path& path) : handle(OpenInput(path))
    {
    }
    ~File()
    {
        SysClose(handle);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool ReadAt(uint32_t offset, unsigned char* buffer, uint32_t size) const
    {
        return offset <= INT32_MAX && SysSeek(handle, static_cast<int32_t>(offset), SYS_SEEK_START) >= 0 &&
               SysRead(handle, buffer, size) == size;
    }

    SysFile handle;
};

// Whether a trailer at `trailer` leads to an archive that walks, record by
// record, to its last piece or to fewer than 56 bytes before the trailer,
// as a sound executable does. Padding taken for a trailer, or bytes before
// it, point at no such archive.
bool WalksFrom(const File& file, uint32_t trailer)
{
    unsigned char raw[ARCHIVE_HEADER_SIZE];
    ArchiveHeader header;
    if (!file.ReadAt(trailer, raw, TRAILER_SIZE))
        return false;
    uint64_t position = ReadLe32(raw);
    if (position + ARCHIVE_HEADER_SIZE > trailer || !file.ReadAt(position, raw, ARCHIVE_HEADER_SIZE) ||
        !DecodeArchiveHeader(raw, &header))
        return false;
    position += ARCHIVE_HEADER_SIZE;
    while (trailer - position >= ENTRY_RECORD_SIZE) {
        EntryRecord record;
        if (!file.ReadAt(static_cast<uint32_t>(position), raw, ENTRY_RECORD_SIZE) ||
            !DecodeEntryRecord(raw, &record) || record.size > PIECE_SIZE_MAX ||
            position + ENTRY_RECORD_SIZE + record.size > trailer)
            return false;
        position += ENTRY_RECORD_SIZE + record.size;
        if (record.flags & ENTRY_LAST)
            return trailer - position < ENTRY_RECORD_SIZE;
    }
    return true;
}

}  // namespace

Signature ReadSignature(const std::filesystem::path& path)
{
    File file(path);
    Signature signature;
    uint32_t offset, size;
    signature.named = ReadCertificateDirectory(file.handle, &offset, &size) != 0;
    int32_t end = FindLogicalEnd(file.handle, &signature.table_size);
    if (signature.table_size == 0 || end < TRAILER_SIZE || WalksFrom(file, end - TRAILER_SIZE))
        return signature;
    // Signing tools pad to a multiple of 8 with zeros before the table.
    unsigned char before[8];
    unsigned zeros = 0;
    if (end >= 8 && file.ReadAt(end - 8, before, 8))
        while (zeros < 7 && before[7 - zeros] == 0)
            zeros++;
    for (unsigned padding = 1; padding <= zeros; padding++)
        if (static_cast<uint32_t>(end) >= TRAILER_SIZE + padding &&
            WalksFrom(file, end - TRAILER_SIZE - padding)) {
            signature.padding = padding;
            break;
        }
    return signature;
}

std::string Describe(const Signature& signature)
{
    if (signature.table_size == 0)
        return signature.named
                   ? "not signed (the certificate table its PE header names does not end the file)"
                   : "not signed";
    // Only the table's place is read here, not whether its signature
    // matches the file: that takes a signing tool's verify command.
    std::string text = "certificate table of " + std::to_string(signature.table_size) +
                       " bytes present, signature not checked (osslsigncode verify or signtool verify "
                       "checks it)";
    if (signature.padding == 0)
        return text;
    return text + ", but signed unaligned: " + std::to_string(signature.padding) +
           (signature.padding == 1 ? " byte of padding lies" : " bytes of padding lie") +
           " between the archive's trailer and the table, so the installer cannot find its archive; "
           "pack it again with this rozbal, which aligns the executable, and sign the new file";
}
