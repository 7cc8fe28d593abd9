#include "archive/container.h"

#include "archive/path.h"

#include <string.h>

int ReadPieceData(SysFile file, void* buffer, uint32_t size)
{
    return SysRead(file, buffer, size) == size;
}

// Where a PE image keeps its security directory: the DOS header names the
// PE header at 0x3C; the optional header follows the signature and the file
// header and holds the data directories (8 bytes each) at 96 bytes in a
// PE32 image, 112 in a PE32+ one, right after their count. The security
// directory is the fifth; unlike the others it holds a file offset.
enum {
    DOS_HEADER_SIZE = 64,
    DOS_PE_OFFSET = 0x3C,
    PE_SIGNATURE = 0x4550,  // "PE\0\0"
    PE_OPTIONAL_SIZE = 20,  // SizeOfOptionalHeader, from the signature
    PE_OPTIONAL = 24,       // the optional header, from the signature
    PE32_MAGIC = 0x10B,
    PE32_DIRECTORIES = 96,
    PE32_PLUS_MAGIC = 0x20B,
    PE32_PLUS_DIRECTORIES = 112,
    SECURITY_DIRECTORY = 4,
    DIRECTORY_SIZE = 8,
    PE_READ_SIZE = PE_OPTIONAL + PE32_PLUS_DIRECTORIES + (SECURITY_DIRECTORY + 1) * DIRECTORY_SIZE,
};

int ReadCertificateDirectory(SysFile file, uint32_t* offset, uint32_t* size)
{
    unsigned char raw[PE_READ_SIZE];
    *offset = *size = 0;
    if (SysSeek(file, 0, SYS_SEEK_START) != 0 || !ReadPieceData(file, raw, DOS_HEADER_SIZE) ||
        raw[0] != 'M' || raw[1] != 'Z')
        return 0;
    uint32_t pe = ReadLe32(raw + DOS_PE_OFFSET);
    if (pe > INT32_MAX || SysSeek(file, (int32_t)pe, SYS_SEEK_START) != (int32_t)pe)
        return 0;
    // Fewer bytes may come: a small PE32 image can end before a PE32+ entry.
    uint32_t got = SysRead(file, raw, PE_READ_SIZE);
    if (got < PE_OPTIONAL + 2 || ReadLe32(raw) != PE_SIGNATURE)
        return 0;
    unsigned magic = ReadLe16(raw + PE_OPTIONAL), directories = 0;
    if (magic == PE32_MAGIC)
        directories = PE32_DIRECTORIES;
    else if (magic == PE32_PLUS_MAGIC)
        directories = PE32_PLUS_DIRECTORIES;
    unsigned entry_end = directories + (SECURITY_DIRECTORY + 1) * DIRECTORY_SIZE;
    if (directories == 0 || got < PE_OPTIONAL + entry_end || ReadLe16(raw + PE_OPTIONAL_SIZE) < entry_end ||
        ReadLe32(raw + PE_OPTIONAL + directories - 4) <= SECURITY_DIRECTORY)
        return 0;
    const unsigned char* entry = raw + PE_OPTIONAL + entry_end - DIRECTORY_SIZE;
    // An offset of 0 marks an unused directory, whatever its size says.
    if (ReadLe32(entry) == 0 || ReadLe32(entry + 4) == 0)
        return 0;
    *offset = ReadLe32(entry);
    *size = ReadLe32(entry + 4);
    return 1;
}

int32_t FindLogicalEnd(SysFile file, uint32_t* table_size)
{
    uint32_t offset, size;
    *table_size = 0;
    int32_t length = SysSeek(file, 0, SYS_SEEK_END);
    if (length < 0)
        return -1;
    // A table that ends anywhere else is not one a signing tool appended.
    if (ReadCertificateDirectory(file, &offset, &size) && offset <= (uint32_t)length &&
        size == (uint32_t)length - offset) {
        *table_size = size;
        return (int32_t)offset;
    }
    return length;
}

int ReadArchiveHeader(SysFile file, ArchiveHeader* header)
{
    unsigned char raw[ARCHIVE_HEADER_SIZE];
    uint32_t table_size;
    int32_t end = FindLogicalEnd(file, &table_size);
    if (end < TRAILER_SIZE || SysSeek(file, end - TRAILER_SIZE, SYS_SEEK_START) != end - TRAILER_SIZE ||
        !ReadPieceData(file, raw, TRAILER_SIZE))
        return 0;
    // Positions are signed 32-bit: an offset past 2 GiB is out of reach, and
    // as a negative number 0xFFFFFFFF would pass for the -1 of a failed seek.
    uint32_t offset = ReadLe32(raw);
    if (offset > INT32_MAX || SysSeek(file, (int32_t)offset, SYS_SEEK_START) != (int32_t)offset)
        return 0;
    return ReadPieceData(file, raw, ARCHIVE_HEADER_SIZE) && DecodeArchiveHeader(raw, header);
}

int ReadEntryRecord(SysFile file, EntryRecord* record)
{
    unsigned char raw[ENTRY_RECORD_SIZE];
    uint32_t table_size;
    // A position that cannot be told leaves the plain read, as for a volume.
    int32_t position = SysSeek(file, 0, SYS_SEEK_CURRENT);
    if (position >= 0) {
        int32_t end = FindLogicalEnd(file, &table_size);
        if (SysSeek(file, position, SYS_SEEK_START) != position ||
            (table_size != 0 && end - position < TRAILER_SIZE + ENTRY_RECORD_SIZE))
            return RECORD_NONE;
    }
    if (!ReadPieceData(file, raw, ENTRY_RECORD_SIZE))
        return RECORD_NONE;
    return DecodeEntryRecord(raw, record) ? RECORD_READ : RECORD_BAD;
}

// Appends count bytes of text to out, which holds *length characters, when
// they fit together with the final NUL. Returns non-zero when they did.
static int AppendText(char* out, unsigned out_size, unsigned* length, const char* text, unsigned count)
{
    if (count >= out_size - *length)
        return 0;
    memcpy(out + *length, text, count);
    *length += count;
    out[*length] = 0;
    return 1;
}

int MakeVolumeName(const char* archive_path, unsigned volume, char* out, unsigned out_size)
{
    char drive[PART_DRIVE_SIZE], directory[PART_SIZE], base[PART_SIZE], extension[PART_SIZE];
    char digits[16];
    unsigned length = 0;
    if (out_size == 0)
        return 0;
    out[0] = 0;
    SplitPath(archive_path, drive, directory, base, extension);
    unsigned path_length = (unsigned)strlen(archive_path), extension_length = (unsigned)strlen(extension);
    // A part cut short by the split would name a file in another place.
    if (strlen(drive) + strlen(directory) + strlen(base) + extension_length != path_length)
        return 0;
    // Drive, directory and base name are the path up to its extension.
    unsigned kept = path_length - extension_length + (extension_length < 2 ? extension_length : 2);

    // The number right to left, with at least two digits.
    unsigned first = sizeof digits;
    do {
        digits[--first] = (char)('0' + volume % 10);
        volume /= 10;
    } while (volume != 0 || first > sizeof digits - 2);

    if (AppendText(out, out_size, &length, archive_path, kept) &&
        AppendText(out, out_size, &length, digits + first, sizeof digits - first))
        return 1;
    out[0] = 0;
    return 0;
}

// Reads the record at the current position of the cursor's file.
static int ReadRecordHere(RecordCursor* cursor)
{
    cursor->place.offset = SysSeek(cursor->file, 0, SYS_SEEK_CURRENT);
    return ReadEntryRecord(cursor->file, &cursor->record);
}

int NextRecord(RecordCursor* cursor, const char* archive_path, OpenVolumeFunction open_volume, void* context)
{
    char name[SYS_PATH_SIZE];
    RecordPlace* place = &cursor->place;
    place->piece++;
    int result = ReadRecordHere(cursor);
    if (result == RECORD_NONE) {
        SysClose(cursor->file);
        cursor->file = SYS_NO_FILE;
        place->offset = 0;
        if (!MakeVolumeName(archive_path, ++place->volume, name, sizeof name) ||
            (cursor->file = open_volume(name, context)) == SYS_NO_FILE)
            return CURSOR_NO_VOLUME;
        result = ReadRecordHere(cursor);
        if (result == RECORD_NONE)
            return CURSOR_SHORT_VOLUME;
    }
    return result == RECORD_READ ? CURSOR_READ : CURSOR_BAD_NAME;
}
