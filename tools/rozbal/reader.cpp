#include "tools/rozbal/reader.h"

#include "archive/container.h"
#include "tools/rozbal/errors.h"
#include "tools/rozbal/names.h"
#include "tools/rozbal/system.h"

#include <errno.h>

namespace fs = std::filesystem;

SysFile OpenInput(const fs::path& path)
{
    std::error_code error;
    if (fs::is_directory(path, error))
        throw InputError(path.string() + " is a directory, not an installer");
    errno = 0;
    SysFile file = SysOpenFile(WorkerPath(path).c_str(), SYS_OPEN_READ);
    if (file == SYS_NO_FILE)
        throw InputError(SystemMessage("cannot open " + path.string(), errno ? errno : ENOENT));
    return file;
}

ArchiveReader::ArchiveReader(const fs::path& archive) : archive_(archive)
{
    Open(archive);
    uint32_t table_size;
    int32_t end = FindLogicalEnd(cursor_.file, &table_size);  // before a signature
    unsigned char trailer[TRAILER_SIZE];
    if (end < 0)
        throw InputError(archive.string() +
                         " holds no archive the installer can read: it is 2 GiB or larger");
    if (end < TRAILER_SIZE + ARCHIVE_HEADER_SIZE ||
        SysSeek(cursor_.file, end - TRAILER_SIZE, SYS_SEEK_START) < 0 ||
        SysRead(cursor_.file, trailer, TRAILER_SIZE) != TRAILER_SIZE)
        throw InputError(archive.string() + " holds no archive: it is too short");
    header_offset_ = ReadLe32(trailer);
    if (header_offset_ > static_cast<uint32_t>(end) - ARCHIVE_HEADER_SIZE)
        throw InputError(archive.string() + " holds no archive: " +
                         (table_size ? "the 4 bytes before its certificate table" : "its last 4 bytes") +
                         " do not point to a header");
    if (!ReadArchiveHeader(cursor_.file, &header_))
        throw InputError(archive.string() + " holds no archive: a text field of its header has no end");
    // The installer refuses such a header before it writes anything; a
    // file without an archive (a bare stub) reads its own bytes as one.
    std::string why = CheckSetupField(header_.setup_program);
    if (!why.empty())
        throw InputError(archive.string() + " holds no archive the installer accepts: " + why);
    archive_name_ = archive.filename().u8string();
}

ArchiveReader::~ArchiveReader()
{
    if (cursor_.file != SYS_NO_FILE)
        SysClose(cursor_.file);
}

void ArchiveReader::Open(const fs::path& path)
{
    if (cursor_.file != SYS_NO_FILE)
        SysClose(cursor_.file);
    current_ = path;
    if (WorkerPath(path).size() >= SYS_PATH_SIZE)
        throw InputError(path.string() + ": the path is longer than the installer's 259 characters");
    cursor_.file = OpenInput(path);
}

void ArchiveReader::Fail(const Piece& piece, const std::string& why) const
{
    throw InputError(Where(piece) + ": " + why);
}

std::string ArchiveReader::Where(const Piece& piece)
{
    return piece.file.string() + ", offset " + std::to_string(piece.offset) + ", piece " +
           std::to_string(piece.number) + " (" + DisplayText(piece.record.name) + ")";
}

// The cursor's way to a volume, next to the archive: one that is not there
// ends the archive; one that cannot be opened is refused.
SysFile ArchiveReader::OpenVolume(const char* name, void* reader)
{
    auto* self = static_cast<ArchiveReader*>(reader);
    fs::path next = self->archive_.parent_path() / fs::u8path(name);
    std::error_code error;
    if (!fs::exists(next, error))
        return SYS_NO_FILE;
    self->Open(next);
    return self->cursor_.file;
}

bool ArchiveReader::Next(Piece& piece)
{
    if (done_)
        return false;
    piece = Piece{};
    fs::path previous = current_;
    int status = NextRecord(&cursor_, archive_name_.c_str(), OpenVolume, this);
    piece.number = cursor_.place.piece;
    piece.volume = cursor_.place.volume;
    piece.file = current_;
    piece.offset = static_cast<uint32_t>(cursor_.place.offset);
    piece.record = cursor_.record;
    if (status == CURSOR_NO_VOLUME)
        throw InputError("missing volume " + VolumePath(archive_, piece.volume).string() +
                         ": the archive goes on after " + previous.string() + " (piece " +
                         std::to_string(piece.number) + ")");
    // Whatever is left is under 56 bytes (the trailer, in the executable):
    // the installer goes on with the next volume, where the record must be whole.
    if (status == CURSOR_SHORT_VOLUME)
        throw InputError("volume " + current_.string() + " is shorter than one entry record (piece " +
                         std::to_string(piece.number) + ")");
    if (status == CURSOR_BAD_NAME) {
        piece.record.name[TEXT_FIELD_SIZE - 1] = 0;
        Fail(piece, "the name has no NUL within its 48 bytes");
    }
    if (piece.record.size > PIECE_SIZE_MAX)
        Fail(piece, std::to_string(piece.record.size) +
                        " data bytes, more than the installer's piece buffer of 3,000,000");
    buffer_.resize(PIECE_SIZE_MAX);
    if (!ReadPieceData(cursor_.file, buffer_.data(), piece.record.size))
        Fail(piece,
             "the data is cut short (the record says " + std::to_string(piece.record.size) + " bytes)");
    piece.data = buffer_.data();
    done_ = (piece.record.flags & ENTRY_LAST) != 0;
    return true;
}
