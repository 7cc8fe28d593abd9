#include "tools/rozbal/inspect.h"

#include "archive/block_decoder.h"
#include "tools/rozbal/errors.h"
#include "tools/rozbal/install_model.h"
#include "tools/rozbal/names.h"
#include "tools/rozbal/reader.h"
#include "tools/rozbal/signature.h"

#include <errno.h>

#include <cstdio>
#include <cstring>

namespace fs = std::filesystem;

namespace {

void Warn(const std::string& text)
{
    std::fprintf(stderr, "rozbal: warning: %s\n", text.c_str());
}

std::string FlagNames(uint32_t flags)
{
    std::string names;
    auto add = [&names](const char* name) { names += names.empty() ? name : std::string("|") + name; };
    if (flags & ENTRY_CREATE)
        add("CREATE");
    if (flags & ENTRY_APPEND)
        add("APPEND");
    if (flags & ENTRY_LAST)
        add("LAST");
    return names.empty() ? "-" : names;
}

// The refusal of a step as an InputError at the piece.
void Check(const ModelStep& step, const std::string& where)
{
    if (!step.refusal.empty())
        throw InputError(where + ": " + step.refusal);
}

// Where a piece goes under the extraction directory, as a path this system can open.
fs::path TargetPath(const fs::path& root, const std::string& name, const std::string& where)
{
    std::string utf8;
    if (!Cp1250ToUtf8(name, utf8))
        throw InputError(where + ": the name is not valid code page 1250");
    for (char& c : utf8)
        if (c == '\\')
            c = '/';
    fs::path target = root / utf8;
    if (target.native().size() >= SYS_PATH_SIZE)
        throw InputError(where + ": the target path " + target.string() +
                         " is longer than the installer's 259 characters");
    return target;
}

// Writes one piece as the installer does: the mode chosen by its flags,
// appended at the end of the file when it continues one.
void WritePiece(const fs::path& target, const Piece& piece)
{
    std::error_code error;
    fs::create_directory(target.parent_path(), error);  // one level, as the model allowed
    uint32_t flags = piece.record.flags;
    int mode = flags & ENTRY_APPEND   ? SYS_OPEN_UPDATE
               : flags & ENTRY_CREATE ? SYS_OPEN_CREATE
                                      : SYS_OPEN_READ;
    errno = 0;
    SysFile file = SysOpenFile(target.c_str(), mode);
    if (file == SYS_NO_FILE)
        throw OutputError(SystemMessage("cannot open " + target.string(), errno ? errno : EIO));
    bool whole = (mode != SYS_OPEN_UPDATE || SysSeek(file, 0, SYS_SEEK_END) >= 0) &&
                 SysWrite(file, piece.data, piece.record.size) == piece.record.size;
    SysClose(file);
    if (!whole)
        throw OutputError(SystemMessage("cannot write " + target.string(), errno ? errno : ENOSPC));
}

void DecodeOnDisk(const fs::path& root, const std::string& block_name, const std::string& where)
{
    fs::path block = TargetPath(root, block_name, where);
    fs::path plain = TargetPath(root, PlainName(block_name), where);
    if (!DecodeBlockFile(block.c_str(), plain.c_str()))
        throw InputError(where + ": block file " + block.string() + " does not decode");
    SysDeleteFile(block.c_str());
}

}  // namespace

void RunList(const ReadOptions& options)
{
    ArchiveReader reader(options.archive);
    const ArchiveHeader& header = reader.Header();
    std::printf("archive:  %s (header at offset %u)\n", options.archive.string().c_str(),
                reader.HeaderOffset());
    std::printf("title:    %s\n", DisplayText(header.title).c_str());
    std::printf("setup:    %s\n", DisplayText(header.setup_program).c_str());
    std::printf("close:    %s\n", header.close_when_done ? "when the setup program ends" : "at log-off");
    if (!header.password[0])
        std::printf("password: none\n");
    else if (options.show_password)
        std::printf("password: %s\n", DisplayText(header.password).c_str());
    else
        std::printf("password: set (--show-password shows it)\n");
    std::printf("files:    %u\n", header.file_count);
    std::printf("signing:  %s\n\n", Describe(ReadSignature(options.archive)).c_str());
    std::printf("%-20s %10s  %-18s %8s  %s\n", "file", "offset", "flags", "size", "name");
    Piece piece;
    while (reader.Next(piece)) {
        std::string flags = std::to_string(piece.record.flags) + " " + FlagNames(piece.record.flags);
        std::printf("%-20s %10llu  %-18s %8u  %s\n", piece.file.filename().string().c_str(),
                    static_cast<unsigned long long>(piece.offset), flags.c_str(), piece.record.size,
                    DisplayText(piece.record.name).c_str());
        std::fflush(stdout);
    }
}

void RunVerify(const ReadOptions& options)
{
    Signature signature = ReadSignature(options.archive);
    if (signature.padding != 0)
        throw InputError(options.archive.string() + ": " + Describe(signature));
    ArchiveReader reader(options.archive);
    InstallModel model;
    BlockStream stream;
    std::string where;
    uint64_t stored = 0, installed = 0;  // data bytes in the archive / after decoding
    auto finish_block = [&](const std::string& block_name) {
        std::string why = stream.Finish();
        if (!why.empty())
            throw InputError(where + ": block file " + DisplayText(block_name) + " does not decode: " + why);
        installed += stream.PlainBytes();
        if (!stream.Warning().empty())
            Warn("block file " + DisplayText(block_name) + ": " + stream.Warning());
    };

    Piece piece;
    unsigned pieces = 0, volumes = 0;
    while (reader.Next(piece)) {
        where = ArchiveReader::Where(piece);
        ModelStep step = model.Accept(piece.record);
        Check(step, where);
        if (!step.completed_block.empty())
            finish_block(step.completed_block);
        if (IsBlockName(piece.record.name)) {
            // Only a creating piece empties the file; one with neither flag
            // opens it and leaves what is there.
            if ((piece.record.flags & (ENTRY_CREATE | ENTRY_APPEND)) == ENTRY_CREATE)
                stream.Reset();
            stream.Feed(piece.data, piece.record.size);
        } else {
            installed += piece.record.size;
        }
        pieces++;
        volumes = piece.volume;
        stored += piece.record.size;
    }
    ModelStep step = model.Finish(reader.Header());
    if (!step.completed_block.empty())
        finish_block(step.completed_block);
    Check(step, options.archive.string());
    if (!options.quiet)
        std::printf("%s: OK: %zu files in %u pieces, %u volume%s, %llu bytes stored, %llu installed; %s\n",
                    options.archive.string().c_str(), model.DistinctNames(), pieces, volumes,
                    volumes == 1 ? "" : "s", static_cast<unsigned long long>(stored),
                    static_cast<unsigned long long>(installed), Describe(signature).c_str());
}

void RunExtract(const ReadOptions& options)
{
    std::error_code error;
    if (fs::exists(options.target, error) && !fs::is_empty(options.target, error))
        throw UsageError(options.target.string() + " is not empty; extract into a new or empty directory");
    ArchiveReader reader(options.archive);
    fs::create_directories(options.target, error);
    if (error)
        throw OutputError(SystemMessage("cannot create " + options.target.string(), error.value()));

    InstallModel model;
    Piece piece;
    while (reader.Next(piece)) {
        std::string where = ArchiveReader::Where(piece);
        ModelStep step = model.Accept(piece.record);
        Check(step, where);
        WritePiece(TargetPath(options.target, piece.record.name, where), piece);
        if (!step.completed_block.empty())
            DecodeOnDisk(options.target, step.completed_block, where);
    }
    ModelStep step = model.Finish(reader.Header());
    if (!step.completed_block.empty())
        DecodeOnDisk(options.target, step.completed_block, options.archive.string());
    Check(step, options.archive.string());
    if (!options.quiet) {
        std::string setup = reader.Header().setup_program;
        std::printf("extracted %zu files into %s; the installer would start %s\n", model.DistinctNames(),
                    options.target.string().c_str(),
                    DisplayText(IsBlockName(setup) ? PlainName(setup) : setup).c_str());
    }
}
