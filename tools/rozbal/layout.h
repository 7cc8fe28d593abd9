// Cutting the archive's byte stream into pieces and the pieces into the
// executable and its volumes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Receives the pieces in archive order.
class PieceSink {
  public:
    virtual ~PieceSink() = default;
    // Writes one entry record and its `size` data bytes to the current file.
    virtual void WritePiece(uint32_t flags, const std::string& name, const unsigned char* data,
                            uint32_t size) = 0;
    // Ends the current file (the executable, then each volume) and starts the next volume.
    virtual void StartVolume() = 0;
};

struct LayoutLimits {
    uint64_t first = 0;   // bytes for records and data in the executable
    uint64_t volume = 0;  // bytes per volume file, at least 57; 0: no volumes
};

// Lays files out as pieces: a file becomes an ENTRY_CREATE piece and, when
// it is larger than 3,000,000 bytes or a file fills up, ENTRY_APPEND pieces
// under the same name; the archive's last piece carries ENTRY_LAST. Every
// file ends after a whole piece, and a volume is started only for a piece
// that goes into it, so each volume holds at least one.
class PieceLayout {
  public:
    PieceLayout(PieceSink& sink, LayoutLimits limits);

    // Starts the next file; `last_file` marks the archive's last one.
    void BeginFile(const std::string& name, bool last_file);
    // Adds data of the current file. Holds back at most one piece's worth,
    // since a piece's size goes into its record before its data.
    void Add(const unsigned char* data, size_t size);
    // Ends the current file, writing what is held back.
    // Add and EndFile throw InputError when the data needs a volume and
    // there are none.
    void EndFile();

  private:
    uint64_t Capacity() const;
    void Emit(size_t size, bool file_end);
    void NextVolume();

    PieceSink& sink_;
    const LayoutLimits limits_;
    uint64_t space_;  // left in the current file
    std::string name_;
    bool last_file_ = false;
    bool begun_ = false;  // a piece of the current file is written
    std::vector<unsigned char> pending_;
};
