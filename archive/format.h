// Byte layout of the installation archive: the trailer, the header, the entry
// records and the block-file headers. Both the stub's reader and the builder
// use these definitions, so that writer and reader cannot drift apart.
#pragma once

#include <stdint.h>

enum {
    TRAILER_SIZE = 4,  // the archive file's last 4 bytes: header offset
    ARCHIVE_HEADER_SIZE = 152,
    ENTRY_RECORD_SIZE = 56,
    TEXT_FIELD_SIZE = 48,      // NUL-terminated text: at most 47 characters
    PIECE_SIZE_MAX = 3000000,  // the reader's piece buffer
};

// Entry record flags; other bits are ignored.
enum {
    ENTRY_CREATE = 1,  // the piece begins its file
    ENTRY_APPEND = 2,  // the piece continues its file (wins over ENTRY_CREATE)
    ENTRY_LAST = 8,    // nothing after this piece is read
};

// Block files: names ending in ".xxx" hold 6-byte headers and payloads.
enum {
    BLOCK_MARKER = 0x66,
    METHOD_ZLIB = 1,  // every other method value means "stored"
    BLOCK_HEADER_SIZE = 6,
    BLOCK_PAYLOAD_MAX = 32000,  // the decoder's input buffer
    BLOCK_PLAIN_MAX = 320000,   // the decoder's output buffer
};

struct ArchiveHeader {
    uint32_t file_count;       // distinct files; low 16 bits are the bar's maximum
    uint32_t close_when_done;  // non-zero: end once the setup program has ended
    char setup_program[TEXT_FIELD_SIZE];
    char title[TEXT_FIELD_SIZE];
    char password[TEXT_FIELD_SIZE];  // empty: no password
};

struct EntryRecord {
    uint32_t flags;
    uint32_t size;  // data bytes that follow the record
    char name[TEXT_FIELD_SIZE];
};

static_assert(sizeof(ArchiveHeader) == ARCHIVE_HEADER_SIZE, "header layout");
static_assert(sizeof(EntryRecord) == ENTRY_RECORD_SIZE, "record layout");

// Little-endian 16- and 32-bit access at any alignment, whatever the host's
// byte order. The 16-bit read is inline: the stub's few calls cost less so.
inline uint16_t ReadLe16(const unsigned char* bytes)
{
    return (uint16_t)(bytes[0] | bytes[1] << 8);
}
uint32_t ReadLe32(const unsigned char* bytes);
void WriteLe32(unsigned char* bytes, uint32_t value);

// Decodes 152 raw bytes into *header. Returns non-zero on success, 0 when a
// text field has no NUL within its 48 bytes (nothing past the field is read).
int DecodeArchiveHeader(const unsigned char* raw, ArchiveHeader* header);

// Decodes 56 raw bytes into *record. Returns non-zero on success, 0 when the
// name has no NUL within its 48 bytes.
int DecodeEntryRecord(const unsigned char* raw, EntryRecord* record);

// Encodes *header / *record into 152 / 56 raw bytes; text fields are copied
// whole, so the caller decides what follows each NUL.
void EncodeArchiveHeader(const ArchiveHeader* header, unsigned char* raw);
void EncodeEntryRecord(const EntryRecord* record, unsigned char* raw);
