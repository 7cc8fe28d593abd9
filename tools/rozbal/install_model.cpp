#include "tools/rozbal/install_model.h"

#include "archive/block_decoder.h"
#include "tools/rozbal/names.h"

#include <algorithm>

namespace {

std::string Parent(const std::string& name)
{
    size_t separator = name.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : name.substr(0, separator);
}

std::string Quoted(const std::string& cp1250)
{
    return "'" + DisplayText(cp1250) + "'";
}

}  // namespace

InstallModel::InstallModel()
{
    entries_[""] = DIRECTORY;
}

bool InstallModel::Is(const std::string& name, Kind kind) const
{
    auto it = entries_.find(FoldCase(name));
    return it != entries_.end() && it->second == kind;
}

// Decodes and deletes a complete block file; returns a refusal or "".
std::string InstallModel::Complete(const std::string& block_name)
{
    entries_.erase(FoldCase(block_name));
    std::string plain = PlainName(block_name);
    if (Is(plain, DIRECTORY))
        return "block file " + Quoted(block_name) + " would decode into " + Quoted(plain) + ", a directory";
    entries_[FoldCase(plain)] = FILE;
    return {};
}

ModelStep InstallModel::Accept(const EntryRecord& record)
{
    ModelStep step;
    std::string name = record.name;
    std::string why = CheckArchiveName(name);
    if (!why.empty()) {
        step.refusal = "the name is refused: " + why;
        return step;
    }
    std::string directory = Parent(name);
    if (Is(directory, FILE)) {
        step.refusal = "directory " + Quoted(directory) + " is a file";
        return step;
    }
    if (!Is(directory, DIRECTORY)) {
        if (!Is(Parent(directory), DIRECTORY)) {
            step.refusal = "directory " + Quoted(directory) +
                           " cannot be made: the installer creates one level "
                           "per piece and " +
                           Quoted(Parent(directory)) + " does not exist yet";
            return step;
        }
        entries_[FoldCase(directory)] = DIRECTORY;
    }

    if (record.flags & ENTRY_APPEND) {
        if (!Is(name, FILE))
            step.refusal = "the piece continues a file that does not exist";
    } else if (record.flags & ENTRY_CREATE) {
        if (Is(name, DIRECTORY))
            step.refusal = "the name is a directory";
        entries_[FoldCase(name)] = FILE;
    } else if (!Is(name, FILE)) {
        step.refusal = "a piece neither creating nor continuing a file names a file that does not exist";
    } else if (record.size != 0) {
        step.refusal = "a piece neither creating nor continuing a file carries data: the write fails";
    }
    if (!step.refusal.empty())
        return step;

    names_.insert(name);
    if (name != previous_) {
        // Byte-wise different names that Windows takes for one file: the
        // new piece has just overwritten the previous one's file.
        if (!previous_.empty() && FoldCase(name) == FoldCase(previous_)) {
            step.refusal = "the name differs from the previous piece's " + Quoted(previous_) +
                           " only in letter case: on Windows both are one file";
            return step;
        }
        if (IsBlockName(previous_)) {
            step.completed_block = previous_;
            step.refusal = Complete(previous_);
        }
        previous_ = name;
    }
    return step;
}

ModelStep InstallModel::Finish(const ArchiveHeader& header)
{
    ModelStep step;
    if (IsBlockName(previous_)) {
        step.completed_block = previous_;
        step.refusal = Complete(previous_);
        if (!step.refusal.empty())
            return step;
    }
    if (header.file_count != names_.size()) {
        step.refusal = "the header counts " + std::to_string(header.file_count) +
                       " files, the archive holds " + std::to_string(names_.size());
        return step;
    }
    // The installer drops ".xxx" and takes the program from the field as a
    // search would, inside the extraction directory only: the first part
    // before a space, or else the whole, that is a file.
    std::string command = header.setup_program;
    if (IsBlockName(command))
        command = PlainName(command);
    bool found = Is(command, FILE);
    for (size_t space = command.find(' '); !found && space != std::string::npos;
         space = command.find(' ', space + 1))
        found = Is(command.substr(0, space), FILE);
    std::string why = CheckSetupField(header.setup_program);
    if (!why.empty())
        step.refusal = why;
    else if (!found)
        step.refusal = "the setup program " + Quoted(command) + " is not among the archive's files";
    return step;
}

BlockStream::BlockStream() : output_(BLOCK_PLAIN_MAX)
{
    Reset();
}

void BlockStream::Reset()
{
    header_.clear();
    payload_.clear();
    length_ = 0;
    offset_ = plain_bytes_ = ignored_ = 0;
    in_payload_ = ended_ = false;
    failure_.clear();
    warning_.clear();
}

void BlockStream::Fail(const std::string& why)
{
    if (failure_.empty())
        failure_ = "the block at offset " + std::to_string(offset_) + " " + why;
}

void BlockStream::Feed(const unsigned char* data, size_t size)
{
    while (size > 0 && failure_.empty()) {
        if (ended_) {
            ignored_ += size;
            return;
        }
        std::vector<unsigned char>& target = in_payload_ ? payload_ : header_;
        size_t wanted = in_payload_ ? length_ : size_t{BLOCK_HEADER_SIZE};
        size_t take = std::min(size, wanted - target.size());
        target.insert(target.end(), data, data + take);
        data += take;
        size -= take;
        if (target.size() < wanted)
            return;
        if (!in_payload_) {
            int32_t length = static_cast<int32_t>(ReadLe32(header_.data() + 2));
            if (header_[0] != BLOCK_MARKER)
                Fail("has no block marker");
            else if (length < 0 || length > BLOCK_PAYLOAD_MAX)
                Fail("has the length " + std::to_string(length) + ", outside 0 to 32000");
            else if (length == 0)
                ended_ = true;  // the payload read delivers nothing: the decoder stops
            length_ = static_cast<uint32_t>(length);
            in_payload_ = true;
            continue;
        }
        const unsigned char* plain = nullptr;
        uint32_t count = DecodeBlockPayload(header_[1], payload_.data(), length_, output_.data(), &plain);
        if (count == 0) {
            Fail("does not decompress to 1 to 320000 bytes (corrupt data or a wrong Adler-32)");
            return;
        }
        plain_bytes_ += count;
        offset_ += BLOCK_HEADER_SIZE + length_;
        header_.clear();
        payload_.clear();
        in_payload_ = false;
    }
}

std::string BlockStream::Finish()
{
    if (!failure_.empty())
        return failure_;
    if (ended_ && ignored_ > 0)
        warning_ = "a block of length 0 at offset " + std::to_string(offset_) + " ends the decoding; the " +
                   std::to_string(ignored_) + " bytes after it are dropped";
    if (ended_)
        return {};
    if (!in_payload_ && !header_.empty())
        Fail("is cut short inside its 6-byte header");
    else if (in_payload_ && payload_.empty())
        warning_ = "the block file ends right after a block header at offset " + std::to_string(offset_);
    else if (in_payload_)
        Fail("is cut short: " + std::to_string(payload_.size()) + " of " + std::to_string(length_) +
             " payload bytes");
    return failure_;
}
