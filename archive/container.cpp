#include "archive/container.h"

#include "archive/path.h"

#include <string.h>

int ReadPieceData(SysFile file, void* buffer, uint32_t size)
{
    return SysRead(file, buffer, size) == size;
}

int ReadArchiveHeader(SysFile file, ArchiveHeader* header)
{
    unsigned char raw[ARCHIVE_HEADER_SIZE];
    if (SysSeek(file, -TRAILER_SIZE, SYS_SEEK_END) < 0 || !ReadPieceData(file, raw, TRAILER_SIZE))
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
