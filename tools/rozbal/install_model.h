// What the stub does with each piece, replayed without writing anything:
// which directories and files exist on its side, whether it could create,
// open and append each target, when a block file is complete, and whether
// a block file decodes. verify and extract use it so that they accept
// exactly what the installer installs.
#pragma once

#include "archive/format.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct ModelStep {
    std::string refusal;          // why the installer would stop here; empty: it goes on
    std::string completed_block;  // a block file complete once this piece is written, or ""
};

class InstallModel {
  public:
    InstallModel();

    // Takes the next piece's record: its name must pass CheckArchiveName,
    // its directory must exist or have an existing parent (one level is
    // created), ENTRY_APPEND needs an existing file, a record with neither
    // ENTRY_CREATE nor ENTRY_APPEND an existing file and no data. A piece
    // whose name differs from the previous piece's completes the previous
    // file, which, if a block file, is decoded into its plain name.
    ModelStep Accept(const EntryRecord& record);

    // After the last piece: completes the last file, then checks that
    // file_count equals the number of distinct names and that the setup
    // program (without ".xxx") is an installed file.
    ModelStep Finish(const ArchiveHeader& header);

    size_t DistinctNames() const
    {
        return names_.size();
    }

  private:
    enum Kind { DIRECTORY, FILE };

    bool Is(const std::string& name, Kind kind) const;
    std::string Complete(const std::string& block_name);

    std::map<std::string, Kind> entries_;  // by FoldCase'd name; "" is the extraction directory
    std::set<std::string> names_;
    std::string previous_;
};

// Decodes one block file from the pieces that make it up, block by block in
// memory, by the rules of the installer's decoder (DecodeBlockPayload for
// each payload), so memory stays bounded whatever the file's size.
class BlockStream {
  public:
    BlockStream();

    // Starts a new block file.
    void Reset();
    // Takes the next bytes of the block file.
    void Feed(const unsigned char* data, size_t size);
    // Ends the block file. Returns empty when the decoder returns 1 for it,
    // otherwise why it fails, with the offset of the block at fault.
    std::string Finish();

    uint64_t PlainBytes() const
    {
        return plain_bytes_;
    }
    // Set when the decoder would stop before the end of the file (a block
    // of length 0, or a file ending right after a header): it then accepts
    // the file but drops what follows.
    const std::string& Warning() const
    {
        return warning_;
    }

  private:
    void Fail(const std::string& why);

    std::vector<unsigned char> header_, payload_, output_;
    uint32_t length_ = 0;
    uint64_t offset_ = 0;  // of the current block
    uint64_t plain_bytes_ = 0, ignored_ = 0;
    bool in_payload_ = false, ended_ = false;
    std::string failure_, warning_;
};
