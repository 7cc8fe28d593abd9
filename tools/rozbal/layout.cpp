#include "tools/rozbal/layout.h"

#include "archive/format.h"
#include "tools/rozbal/errors.h"

#include <algorithm>

PieceLayout::PieceLayout(PieceSink& sink, LayoutLimits limits)
    : sink_(sink), limits_(limits), space_(limits.first)
{
}

void PieceLayout::BeginFile(const std::string& name, bool last_file)
{
    name_ = name;
    last_file_ = last_file;
    begun_ = false;
    pending_.clear();
}

uint64_t PieceLayout::Capacity() const
{
    return space_ > ENTRY_RECORD_SIZE ? std::min<uint64_t>(PIECE_SIZE_MAX, space_ - ENTRY_RECORD_SIZE) : 0;
}

void PieceLayout::Add(const unsigned char* data, size_t size)
{
    pending_.insert(pending_.end(), data, data + size);
    // More is held than the next piece takes, so that piece is not the file's last.
    while (pending_.size() > Capacity()) {
        if (Capacity() == 0)
            NextVolume();
        else
            Emit(static_cast<size_t>(Capacity()), false);
    }
}

void PieceLayout::EndFile()
{
    if (space_ < ENTRY_RECORD_SIZE + pending_.size())
        NextVolume();
    Emit(pending_.size(), true);
}

void PieceLayout::Emit(size_t size, bool file_end)
{
    uint32_t flags = begun_ ? ENTRY_APPEND : ENTRY_CREATE;
    if (file_end && last_file_)
        flags |= ENTRY_LAST;
    sink_.WritePiece(flags, name_, pending_.data(), static_cast<uint32_t>(size));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(size));
    space_ -= ENTRY_RECORD_SIZE + size;
    begun_ = true;
}

void PieceLayout::NextVolume()
{
    if (limits_.volume == 0)
        throw InputError(
            "the archive does not fit into the executable, which the installer can read up to "
            "2 GiB; split it into volumes with --volume-size");
    sink_.StartVolume();
    space_ = limits_.volume;
}
