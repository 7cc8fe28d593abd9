// Reading an installer the way the stub reads it: the trailer, the header,
// then record after record, moving to the next volume when fewer than 56
// bytes are left, until the piece marked last.
#pragma once

#include "archive/container.h"
#include "archive/format.h"
#include "platform/platform.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct Piece {
    unsigned volume = 0;  // 0: the executable
    std::filesystem::path file;
    uint64_t offset = 0;  // of the record within file
    unsigned number = 0;  // 1 for the archive's first piece
    EntryRecord record{};
    const unsigned char* data = nullptr;  // record.size bytes, valid until the next Next()
};

// Opens an installer or a volume for reading with the installer's platform
// layer. Throws InputError for a directory and a file that cannot be opened.
SysFile OpenInput(const std::filesystem::path& path);

class ArchiveReader {
  public:
    // Opens `archive` and reads its header. Throws InputError for a missing
    // or unreadable file and for one that holds no archive.
    explicit ArchiveReader(const std::filesystem::path& archive);
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    const ArchiveHeader& Header() const
    {
        return header_;
    }
    uint32_t HeaderOffset() const
    {
        return header_offset_;
    }

    // Reads the next piece with its data. Returns false after the piece
    // marked last. Throws InputError naming volume, offset and piece for a
    // missing volume, a volume whose first record is cut short, a name
    // without NUL, a piece over 3,000,000 bytes or data cut short.
    bool Next(Piece& piece);

    // "FILE, offset N, piece K (NAME)" for messages.
    static std::string Where(const Piece& piece);

  private:
    void Open(const std::filesystem::path& path);
    static SysFile OpenVolume(const char* name, void* reader);
    [[noreturn]] void Fail(const Piece& piece, const std::string& why) const;

    std::filesystem::path archive_, current_;
    std::string archive_name_;  // the file name the cursor makes the volumes' names of
    RecordCursor cursor_{SYS_NO_FILE, {}, {}};
    ArchiveHeader header_{};
    uint32_t header_offset_ = 0;
    bool done_ = false;
    std::vector<unsigned char> buffer_;
};
