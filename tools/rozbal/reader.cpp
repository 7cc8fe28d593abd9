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
    int32_t end = FindLogicalEnd(file_, &table_size);  // before a signature
    unsigned char trailer[TRAILER_SIZE];
    if (end < 0)
        throw InputError(archive.string() +
                         " holds no archive the installer can read: it is 2 GiB or larger");
    if (end < TRAILER_SIZE + ARCHIVE_HEADER_SIZE || SysSeek(file_, end - TRAILER_SIZE, SYS_SEEK_START) < 0 ||
        SysRead(file_, trailer, TRAILER_SIZE) != TRAILER_SIZE)
        throw InputError(archive.string() + " holds no archive: it is too short");
    header_offset_ = ReadLe32(trailer);
    if (header_offset_ > static_cast<uint32_t>(end) - ARCHIVE_HEADER_SIZE)
        throw InputError(archive.string() + " holds no archive: " +
                         (table_size ? "the 4 bytes before its certificate table" : "its last 4 bytes") +
                         " do not point to a header");
    if (!ReadArchiveHeader(file_, &header_))
        throw InputError(archive.string() + " holds no archive: a text field of its header has no end");
    // The installer refuses such a header before it writes anything; a
    // file without an archive (a bare stub) reads its own bytes as one.
    std::string why = CheckSetupField(header_.setup_program);
    if (!why.empty())
        throw InputError(archive.string() + " holds no archive the installer accepts: " + why);
    offset_ = header_offset_ + ARCHIVE_HEADER_SIZE;
}

ArchiveReader::~ArchiveReader()
{
    if (file_ != SYS_NO_FILE)
        SysClose(file_);
}

void ArchiveReader::Open(const fs::path& path)
{
    if (file_ != SYS_NO_FILE)
        SysClose(file_);
    current_ = path;
    if (WorkerPath(path).size() >= SYS_PATH_SIZE)
        throw InputError(path.string() + ": the path is longer than the installer's 259 characters");
    file_ = OpenInput(path);
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

bool ArchiveReader::Next(Piece& piece)
{
    if (done_)
        return false;
    piece = Piece{};
    piece.number = ++pieces_;
    int status = ReadEntryRecord(file_, &piece.record);
    if (status == RECORD_NONE) {
        // Whatever is left is under 56 bytes (the trailer, in the
        // executable): the installer goes on with the next volume.
        fs::path previous = current_;
        fs::path next = VolumePath(archive_, ++volume_);
        std::error_code error;
        if (!fs::exists(next, error))
            throw InputError("missing volume " + next.string() + ": the archive goes on after " +
                             previous.string() + " (piece " + std::to_string(piece.number) + ")");
        Open(next);
        offset_ = 0;
        status = ReadEntryRecord(file_, &piece.record);
        if (status == RECORD_NONE)
            throw InputError("volume " + next.string() + " is shorter than one entry record (piece " +
                             std::to_string(piece.number) + ")");
    }
    piece.volume = volume_;
    piece.file = current_;
    piece.offset = offset_;
    if (status == RECORD_BAD) {
        piece.record.name[TEXT_FIELD_SIZE - 1] = 0;
        Fail(piece, "the name has no NUL within its 48 bytes");
    }
    if (piece.record.size > PIECE_SIZE_MAX)
        Fail(piece, std::to_string(piece.record.size) +
                        " data bytes, more than the installer's piece buffer of 3,000,000");
    buffer_.resize(PIECE_SIZE_MAX);
    if (!ReadPieceData(file_, buffer_.data(), piece.record.size))
        Fail(piece,
             "the data is cut short (the record says " + std::to_string(piece.record.size) + " bytes)");
    piece.data = buffer_.data();
    offset_ += ENTRY_RECORD_SIZE + piece.record.size;
    done_ = (piece.record.flags & ENTRY_LAST) != 0;
    return true;
}
