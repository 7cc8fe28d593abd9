// Reading the archive container: header location, entry records, piece data
// and the names of volume files. The extraction worker drives the loop; these
// are the reading rules every reader of the format shares.
#pragma once

#include "archive/format.h"
#include "platform/platform.h"

// Reads the security directory of the open file's PE optional header (the
// certificate table a signing tool appends) into *offset and *size. Returns
// non-zero when the file is a PE image whose directory names a table, that
// is, both fields are non-zero; 0 otherwise, with both set to 0. Moves the
// file position.
int ReadCertificateDirectory(SysFile file, uint32_t* offset, uint32_t* size);

// Finds the logical end of the open file: the start of its certificate table
// when the security directory names one that ends exactly at the file's end
// (a signed executable), else the file's length. *table_size receives the
// table's size, 0 when the end is the file's length. Returns the end, or -1
// when the length cannot be found (no file, or one past 2 GiB). Moves the
// file position.
int32_t FindLogicalEnd(SysFile file, uint32_t* table_size);

// Follows the trailer of the open archive file to its header: seeks to the
// file's logical end minus 4, reads the header offset, seeks there and reads
// 152 bytes. Returns non-zero on success; 0 on any short read, a failed
// seek, a header offset past 2 GiB (no position a seek can reach) or a
// header whose text field has no NUL.
int ReadArchiveHeader(SysFile file, ArchiveHeader* header);

// Result of ReadEntryRecord.
enum {
    RECORD_NONE = 0,  // fewer than 56 bytes: the file holds no further piece
    RECORD_READ = 1,  // *record holds the next record
    RECORD_BAD = 2,   // 56 bytes came, but the name has no NUL
};

// Reads the next 56-byte record from the current position of file. In a
// signed executable the record must end before the trailer, which sits
// right before the certificate table; one that would cross it counts as
// fewer than 56 bytes, as the trailer does at the end of an unsigned file.
int ReadEntryRecord(SysFile file, EntryRecord* record);

// Reads exactly size bytes of piece data into buffer. Returns non-zero when
// all of them came, 0 when fewer did.
int ReadPieceData(SysFile file, void* buffer, uint32_t size);

// Builds the name of volume number volume (1, 2, ...) of archive_path into
// out (capacity out_size, normally 260): drive, directory and base name as
// they are, the first two characters of the extension, then the number with
// at least two digits (SETUP.EXE -> SETUP.E01, SETUP -> SETUP01). Returns
// non-zero on success; 0, out left empty, when the name would not fit or a
// part of archive_path is longer than SplitPath keeps (it would name another
// place).
int MakeVolumeName(const char* archive_path, unsigned volume, char* out, unsigned out_size);
