// The files a pack writes: each goes to a temporary name beside its target
// and is renamed into place only when the whole pack has succeeded, so a
// failed pack leaves no half-written installer.
#pragma once

#include "archive/format.h"
#include "tools/rozbal/layout.h"

#include <filesystem>
#include <memory>
#include <vector>

class OutputFile {
  public:
    // Creates the temporary file for `target`. Throws OutputError.
    explicit OutputFile(std::filesystem::path target);
    // Removes the temporary file unless it was committed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Buffered write; throws OutputError.
    void Write(const void* data, size_t size);
    // Flushes and closes; throws OutputError.
    void Close();
    // Renames the closed file to its target; throws OutputError.
    void Commit();

    uint64_t Size() const
    {
        return size_;
    }
    const std::filesystem::path& Target() const
    {
        return target_;
    }

  private:
    void Flush();

    std::filesystem::path target_, temporary_;
    int fd_ = -1;
    bool committed_ = false;
    uint64_t size_ = 0;
    std::vector<unsigned char> buffer_;
};

// The most volumes a pack writes beside the executable.
constexpr unsigned kMostVolumes = 999;

// The executable (stub, header, pieces, zeros to a multiple of 8, trailer)
// and its volumes. Starting volume 1000 throws UsageError.
class VolumeSet : public PieceSink {
  public:
    // Starts the executable `output` with the stub and the header.
    VolumeSet(const std::filesystem::path& output, const std::vector<unsigned char>& stub,
              const ArchiveHeader& header);

    void WritePiece(uint32_t flags, const std::string& name, const unsigned char* data,
                    uint32_t size) override;
    void StartVolume() override;

    // Ends the last file, with the trailer if no volume was started.
    void Close();
    // Renames every file into place, volumes first, the executable last.
    void Commit();

    const std::vector<std::unique_ptr<OutputFile>>& Files() const
    {
        return files_;
    }
    // The pieces written so far.
    uint64_t Pieces() const
    {
        return pieces_;
    }

  private:
    void WriteTrailer();

    std::filesystem::path output_;
    uint32_t header_offset_;
    std::vector<std::unique_ptr<OutputFile>> files_;  // [0] the executable, [n] volume n
    uint64_t pieces_ = 0;
};
