#include "archive/format.h"

#include <string.h>

uint32_t ReadLe32(const unsigned char* bytes)
{
    return (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 | (uint32_t)bytes[3] << 24;
}

void WriteLe32(unsigned char* bytes, uint32_t value)
{
    bytes[0] = (unsigned char)value;
    bytes[1] = (unsigned char)(value >> 8);
    bytes[2] = (unsigned char)(value >> 16);
    bytes[3] = (unsigned char)(value >> 24);
}

// Copies one 48-byte text field; non-zero when it holds a NUL.
static int CopyTextField(char* field, const unsigned char* raw)
{
    memcpy(field, raw, TEXT_FIELD_SIZE);
    return memchr(field, 0, TEXT_FIELD_SIZE) != 0;
}

int DecodeArchiveHeader(const unsigned char* raw, ArchiveHeader* header)
{
    header->file_count = ReadLe32(raw);
    header->close_when_done = ReadLe32(raw + 4);
    int terminated = CopyTextField(header->setup_program, raw + 8);
    terminated &= CopyTextField(header->title, raw + 56);
    terminated &= CopyTextField(header->password, raw + 104);
    return terminated;
}

int DecodeEntryRecord(const unsigned char* raw, EntryRecord* record)
{
    record->flags = ReadLe32(raw);
    record->size = ReadLe32(raw + 4);
    return CopyTextField(record->name, raw + 8);
}

void EncodeArchiveHeader(const ArchiveHeader* header, unsigned char* raw)
{
    WriteLe32(raw, header->file_count);
    WriteLe32(raw + 4, header->close_when_done);
    memcpy(raw + 8, header->setup_program, TEXT_FIELD_SIZE);
    memcpy(raw + 56, header->title, TEXT_FIELD_SIZE);
    memcpy(raw + 104, header->password, TEXT_FIELD_SIZE);
}

void EncodeEntryRecord(const EntryRecord* record, unsigned char* raw)
{
    WriteLe32(raw, record->flags);
    WriteLe32(raw + 4, record->size);
    memcpy(raw + 8, record->name, TEXT_FIELD_SIZE);
}
