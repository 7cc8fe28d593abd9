// Reading the archive container: header location, entry records, piece data
// and the names of volume files. The record cursor walks the records across
// the volume files for the extraction worker and the builder alike; these are
// the reading rules every reader of the format shares.
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

// Where a record cursor stands: at the record it read last, or at the one
// it failed to read.
struct RecordPlace {
    unsigned volume;  // 0: the archive file; N: volume file N (MakeVolumeName)
    unsigned piece;   // 1 for the archive's first record; 0 before it
    int32_t offset;   // of the record within its file; -1 when it cannot be told
};

// Reads the records one after another, moving on to the next volume file
// where fewer than 56 bytes are left. A cursor starts all zero but for file,
// which is positioned at the first record (as ReadArchiveHeader leaves it).
// Piece data is the caller's to read (ReadPieceData) before the next record.
struct RecordCursor {
    SysFile file;  // the current file; the cursor closes it when it moves on
    RecordPlace place;
    EntryRecord record;  // the record read last
};

// Opens volume file name (built from the archive's path) for a cursor:
// returns the handle, or SYS_NO_FILE to end the archive there. context is
// the caller's.
typedef SysFile (*OpenVolumeFunction)(const char* name, void* context);

// Results of NextRecord; a failure is a different reason each.
enum {
    CURSOR_READ = 1,          // cursor->record holds the next record
    CURSOR_BAD_NAME = 2,      // 56 bytes came, but the name has no NUL
    CURSOR_NO_VOLUME = 3,     // the volume's name does not fit, or open_volume gave no file
    CURSOR_SHORT_VOLUME = 4,  // the next volume holds no whole record
};

// Reads the next record into cursor->record and counts it in cursor->place.
// When the current file holds no further record, closes it and opens volume
// file place.volume + 1 of archive_path through open_volume, where the
// record must be whole. Returns one of the CURSOR_ results; place then says
// which record failed (offset 0 of the volume that is missing).
int NextRecord(RecordCursor* cursor, const char* archive_path, OpenVolumeFunction open_volume, void* context);
