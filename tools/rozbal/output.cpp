#include "tools/rozbal/output.h"

#include "tools/rozbal/errors.h"
#include "tools/rozbal/names.h"

#include "tools/rozbal/system.h"

#include <errno.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace fs = std::filesystem;

namespace {

constexpr size_t kBufferSize = 4 << 20;

}  // namespace

OutputFile::OutputFile(fs::path target) : target_(std::move(target))
{
    temporary_ = target_.parent_path() /
                 fs::u8path("." + target_.filename().u8string() + ".part" + std::to_string(ProcessId()));
    fd_ = CreateExclusive(temporary_);
    if (fd_ < 0)
        throw OutputError(SystemMessage("cannot create " + target_.string(), errno));
    buffer_.reserve(kBufferSize);
}

OutputFile::~OutputFile()
{
    if (fd_ >= 0)
        close(fd_);
    if (!committed_) {
        std::error_code ignored;
        fs::remove(temporary_, ignored);
    }
}

void OutputFile::Write(const void* data, size_t size)
{
    size_ += size;
    if (buffer_.size() + size > kBufferSize)
        Flush();
    if (size >= kBufferSize) {
        buffer_.assign(static_cast<const unsigned char*>(data),
                       static_cast<const unsigned char*>(data) + size);
        Flush();
        return;
    }
    buffer_.insert(buffer_.end(), static_cast<const unsigned char*>(data),
                   static_cast<const unsigned char*>(data) + size);
}

void OutputFile::Flush()
{
    const unsigned char* next = buffer_.data();
    size_t left = buffer_.size();
    while (left > 0) {
        // A count Windows takes too (an unsigned int).
        auto written = write(fd_, next, static_cast<unsigned>(std::min<size_t>(left, 1 << 30)));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw OutputError(
                SystemMessage("cannot write " + target_.string(), written < 0 ? errno : ENOSPC));
        next += written;
        left -= static_cast<size_t>(written);
    }
    buffer_.clear();
}

void OutputFile::Close()
{
    Flush();
    int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0)
        throw OutputError(SystemMessage("cannot write " + target_.string(), errno));
}

void OutputFile::Commit()
{
    std::error_code error;
    fs::rename(temporary_, target_, error);  // replaces an existing target, also on Windows
    if (error)
        throw OutputError(
            SystemMessage("cannot rename " + temporary_.string() + " to " + target_.string(), error.value()));
    committed_ = true;
}

VolumeSet::VolumeSet(const fs::path& output, const std::vector<unsigned char>& stub,
                     const ArchiveHeader& header)
    : output_(output), header_offset_(static_cast<uint32_t>(stub.size()))
{
    files_.push_back(std::make_unique<OutputFile>(output));
    unsigned char raw[ARCHIVE_HEADER_SIZE];
    EncodeArchiveHeader(&header, raw);
    files_[0]->Write(stub.data(), stub.size());
    files_[0]->Write(raw, sizeof raw);
}

void VolumeSet::WritePiece(uint32_t flags, const std::string& name, const unsigned char* data, uint32_t size)
{
    pieces_++;
    EntryRecord record{};
    record.flags = flags;
    record.size = size;
    std::memcpy(record.name, name.data(), name.size());  // the rest stays zero
    unsigned char raw[ENTRY_RECORD_SIZE];
    EncodeEntryRecord(&record, raw);
    files_.back()->Write(raw, sizeof raw);
    files_.back()->Write(data, size);
}

void VolumeSet::WriteTrailer()
{
    // Zeros up to a multiple of 8 with the trailer: a signing tool then adds
    // none, and the trailer stays right before the certificate table. The
    // installer skips them as fewer than 56 bytes.
    unsigned char padding[8] = {};
    files_[0]->Write(padding, (8 - (files_[0]->Size() + TRAILER_SIZE) % 8) % 8);
    unsigned char trailer[TRAILER_SIZE];
    WriteLe32(trailer, header_offset_);
    files_[0]->Write(trailer, sizeof trailer);
}

void VolumeSet::StartVolume()
{
    // SETUP.E999 is the last name with a three-letter extension; a thousand
    // files of one installer are a mistake in the size, not a plan.
    if (files_.size() > kMostVolumes)
        throw UsageError("--volume-size: the archive needs more than " + std::to_string(kMostVolumes) +
                         " volumes; give a larger size");
    if (files_.size() == 1)
        WriteTrailer();
    files_.back()->Close();
    files_.push_back(std::make_unique<OutputFile>(VolumePath(output_, static_cast<unsigned>(files_.size()))));
}

void VolumeSet::Close()
{
    if (files_.size() == 1)
        WriteTrailer();
    files_.back()->Close();
}

void VolumeSet::Commit()
{
    for (size_t i = files_.size(); i-- > 0;)
        files_[i]->Commit();
}
