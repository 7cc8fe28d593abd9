#include "tools/rozbal/pack.h"

#include "archive/format.h"
#include "archive/path.h"
#include "tools/rozbal/errors.h"
#include "tools/rozbal/layout.h"
#include "tools/rozbal/names.h"
#include "tools/rozbal/output.h"
#include "tools/rozbal/parallel_encoder.h"
#include "tools/rozbal/pe.h"
#include "tools/rozbal/progress.h"
#include "tools/rozbal/signature.h"
#include "tools/rozbal/system.h"

#include <errno.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

constexpr size_t kCompressedChunk = 32 * BLOCK_PAYLOAD_MAX;  // whole blocks, so chunks encode independently
constexpr size_t kPlainChunk = 1 << 20;
constexpr uint64_t kLargestExecutable = INT32_MAX;  // the installer seeks with signed 32-bit offsets

class InputFile {
  public:
    explicit InputFile(const PackFile& file) : file_(file), expected_(file.size)
    {
        fd_ = OpenForReading(file.source);
        if (fd_ < 0)
            throw InputError(SystemMessage("cannot open " + file.source.string(), errno));
    }
    ~InputFile()
    {
        close(fd_);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Reads up to `limit` bytes into `data`. Returns whether it filled them
    // all: false means the file has ended.
    bool Fill(std::vector<unsigned char>& data, size_t limit)
    {
        // Sized for what the scan saw, plus one byte to meet the end in the
        // same pass; a file that has grown since makes the buffer grow.
        data.resize(static_cast<size_t>(std::min<uint64_t>(limit, expected_ + 1)));
        size_t got = 0;
        for (;;) {
            if (got == data.size()) {
                if (got == limit)
                    break;
                data.resize(std::min(limit, 2 * got));
            }
            auto n = read(fd_, data.data() + got,
                          static_cast<unsigned>(std::min<size_t>(data.size() - got, 1 << 30)));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw InputError(SystemMessage("cannot read " + file_.source.string(), errno));
            if (n == 0)
                break;
            got += static_cast<size_t>(n);
        }
        data.resize(got);
        expected_ -= std::min<uint64_t>(expected_, got);
        return got == limit;
    }

  private:
    const PackFile& file_;
    uint64_t expected_;  // bytes the scan saw that are not read yet
    int fd_;
};

// A code page 1250 text field of the header.
void SetTextField(char* field, const std::string& utf8, const char* option)
{
    std::string text;
    if (!Utf8ToCp1250(utf8, text))
        throw UsageError(std::string(option) + ": the text cannot be written in code page 1250");
    if (text.size() > TEXT_FIELD_SIZE - 1)
        throw UsageError(std::string(option) + ": " + std::to_string(text.size()) +
                         " bytes in code page 1250, the installer takes at most 47");
    std::memcpy(field, text.data(), text.size());
}

// The header's setup program field for --setup: the program, a file of the
// tree by the name the installer gives it (a compressed file decoded), then
// any arguments, picked as the installer picks them.
std::string SetupField(const TreeScan& scan, const std::string& setup)
{
    std::string field;
    if (!Utf8ToCp1250(setup, field))
        throw UsageError("--setup " + setup + ": the text cannot be written in code page 1250");
    auto backslashed = [](std::string name) {
        std::replace(name.begin(), name.end(), '/', '\\');
        return name;
    };
    if (field.size() > TEXT_FIELD_SIZE - 1)
        throw UsageError(
            "--setup " + setup + ": " + std::to_string(field.size()) +
            " bytes in code page 1250 with its arguments, the installer's field holds at most 47");
    std::map<std::string, const PackFile*> installed;  // by FoldCase'd name
    for (const PackFile& file : scan.files)
        installed.emplace(FoldCase(file.compressed ? PlainName(file.archive_name) : file.archive_name),
                          &file);
    std::string arguments;
    std::string program = PickSetupProgram(
        field, [&](const std::string& name) { return installed.count(FoldCase(backslashed(name))) != 0; },
        arguments);
    if (program.empty())
        throw UsageError("--setup " + setup + ": no such file in the tree" +
                         (field.find_first_of(" \t") != std::string::npos
                              ? " (the program is the first part, up to a blank, that names a file)"
                              : ""));
    // Windows starts a program or a batch file; anything else would fail
    // only after the user waited for the whole unpacking.
    const PackFile& file = *installed.at(FoldCase(backslashed(program)));
    std::string extension = program.substr(program.size() - std::min<size_t>(program.size(), 4));
    PeHeaders pe;
    if (!EqualNoCase(extension.c_str(), ".bat") && !EqualNoCase(extension.c_str(), ".cmd") &&
        !ReadPeHeaders(file.source, pe))
        throw UsageError("--setup " + setup + ": Windows cannot start '" + file.relative +
                         "': it is neither a program (it has no PE headers) nor a .bat or .cmd file");
    // The program with the installer's separators; the arguments as given.
    field = backslashed(program) + arguments;
    std::string why = CheckSetupField(field);
    if (!why.empty())
        throw UsageError("--setup " + setup + ": " + why);
    return field;
}

ArchiveHeader MakeHeader(const PackOptions& options, const TreeScan& scan)
{
    if (options.setup.empty())
        throw UsageError("pack needs --setup: the program the installer starts");
    ArchiveHeader header{};
    header.file_count = static_cast<uint32_t>(scan.files.size());
    header.close_when_done = options.stay ? 0 : 1;
    std::string setup = SetupField(scan, options.setup);
    std::memcpy(header.setup_program, setup.data(), setup.size());
    SetTextField(header.title, options.title, "--title");
    SetTextField(header.password, options.password, "--password");
    return header;
}

std::vector<unsigned char> ReadStub(const fs::path& path)
{
    // A signature made before the archive is appended no longer matches,
    // and signing the installer would have to replace it.
    if (ReadSignature(path).named)
        throw InputError("the stub " + path.string() +
                         " is signed: pack with an unsigned stub and sign the finished installer instead");
    std::error_code error;
    uint64_t size = fs::file_size(path, error);
    if (!error && size > kLargestExecutable)
        throw InputError("the stub " + path.string() +
                         " is too large: the installer reads files of up to 2 GiB");
    // The stub is a Windows GUI program for a machine the installer runs
    // on, and ends with its last section: anything after it (an archive, a
    // debug table) would lie between the program and the new archive.
    PeHeaders pe;
    if (!ReadPeHeaders(path, pe))
        throw InputError("the stub " + path.string() + " is not a Windows program (it has no PE headers)");
    if (pe.machine != PE_MACHINE_I386 && pe.machine != PE_MACHINE_AMD64)
        throw InputError("the stub " + path.string() + " is not built for i386 or AMD64");
    if (pe.subsystem != PE_SUBSYSTEM_GUI)
        throw InputError("the stub " + path.string() + " is not a Windows GUI program");
    if (!error && pe.image_end < size)
        throw InputError("the stub " + path.string() + " has " + std::to_string(size - pe.image_end) +
                         " bytes after its last section (an installer already?): pack with the bare stub");
    std::vector<unsigned char> stub(error ? 0 : size);
    std::ifstream in(path, std::ios::binary);
    if (error || !in.read(reinterpret_cast<char*>(stub.data()), static_cast<std::streamsize>(stub.size())))
        throw InputError("cannot read the stub " + path.string());
    return stub;
}

LayoutLimits MakeLimits(uint64_t volume_size, size_t stub_size)
{
    uint64_t room =
        kLargestExecutable - std::min<uint64_t>(kLargestExecutable, stub_size + ARCHIVE_HEADER_SIZE);
    if (volume_size != 0)
        room = std::min(room, volume_size);
    // The executable ends on a multiple of 8, so that a signing tool pads
    // nothing between the trailer and its table: pieces stop short of the
    // last multiple of 8 that room allows, and zeros fill up to the trailer.
    uint64_t unaligned = (stub_size + ARCHIVE_HEADER_SIZE + room) % 8;
    if (room < TRAILER_SIZE + ENTRY_RECORD_SIZE + unaligned)
        throw InputError("the stub is too large: the installer reads files of up to 2 GiB");
    return LayoutLimits{room - unaligned - TRAILER_SIZE, volume_size};
}

bool Inside(const fs::path& path, const fs::path& tree)
{
    std::error_code error;
    fs::path file = fs::weakly_canonical(fs::absolute(path), error);
    fs::path root = fs::weakly_canonical(fs::absolute(tree), error);
    auto mismatch = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
    return mismatch.first == root.end();
}

// Reads the files in order, compresses the chunks of block files on the
// encoder's threads, and hands what comes back, in the same order, to the
// layout.
void Stream(const TreeScan& scan, const PackOptions& options, PieceLayout& layout, Progress& progress)
{
    ParallelEncoder encoder(options.threads, options.level);
    auto deliver = [&](std::unique_ptr<Chunk> chunk) {
        const PackFile& file = scan.files[chunk->file];
        if (chunk->first)
            layout.BeginFile(file.archive_name, chunk->file + 1 == scan.files.size());
        layout.Add(chunk->output.data(), chunk->output.size());
        if (chunk->last)
            layout.EndFile();
        progress.Advance(chunk->plain_size, chunk->last);
    };
    auto submit = [&](std::unique_ptr<Chunk> chunk) {
        if (int signal = InterruptGuard::Pending())
            throw Interrupted(signal);
        if (encoder.Full())
            deliver(encoder.TakeOldest());
        encoder.Submit(std::move(chunk));
    };

    for (size_t index = 0; index < scan.files.size(); index++) {
        const PackFile& file = scan.files[index];
        InputFile in(file);
        size_t limit = file.compressed ? kCompressedChunk : kPlainChunk;
        auto read = [&](bool& more) {
            auto chunk = std::make_unique<Chunk>();
            chunk->file = index;
            chunk->compress = file.compressed;
            more = in.Fill(chunk->input, limit);
            chunk->plain_size = chunk->input.size();
            return chunk;
        };
        bool more;
        auto chunk = read(more);
        chunk->first = true;
        for (;;) {
            // A full chunk may be followed by nothing: look ahead to mark the last.
            std::unique_ptr<Chunk> next;
            if (more) {
                next = read(more);
                if (next->input.empty())
                    next.reset();
            }
            chunk->last = !next;
            submit(std::move(chunk));
            if (!next)
                break;
            chunk = std::move(next);
        }
    }
    while (!encoder.Empty())
        deliver(encoder.TakeOldest());
}

}  // namespace

fs::path FindStub(const fs::path& given)
{
    std::error_code error;
    if (!given.empty()) {
        if (!fs::is_regular_file(given, error))
            throw InputError("stub " + given.string() + ": no such file");
        return given;
    }
    // An installed rozbal takes the stub installed with it before the one
    // of the build tree it was made in, which may have changed since.
    fs::path bin = ExecutablePath().parent_path();
    fs::path installed = bin.parent_path() / "share" / "rozbal" / "rozbal-stub.exe";
    if (!bin.empty() && fs::is_regular_file(installed, error))
        return installed;
#ifdef ROZBAL_DEFAULT_STUB
    if (fs::is_regular_file(ROZBAL_DEFAULT_STUB, error))
        return ROZBAL_DEFAULT_STUB;
#endif
    fs::path beside = bin / "rozbal-stub.exe";
    if (!bin.empty() && fs::is_regular_file(beside, error))
        return beside;
    throw InputError("no stub found (neither " + installed.string() + ", the build's stub nor " +
                     beside.string() + "); name one with --stub FILE");
}

void RunPack(const PackOptions& options)
{
    if (Inside(options.output, options.tree))
        throw UsageError("the output " + options.output.string() + " lies inside the tree being packed");
    std::error_code error;
    if (fs::is_directory(options.output, error))
        throw UsageError("the output " + options.output.string() + " is a directory");

    TreeScan scan = ScanTree(options.tree, options.compress);
    for (const std::string& warning : scan.warnings)
        Note("warning: " + warning);
    NoteFileCount(scan.files.size());
    ArchiveHeader header = MakeHeader(options, scan);
    std::vector<unsigned char> stub = ReadStub(FindStub(options.stub));
    AddResources(stub, options.resources, options.output.filename().u8string());
    LayoutLimits limits = MakeLimits(options.volume_size, stub.size());

    uint64_t total = 0;
    for (const PackFile& file : scan.files)
        total += file.size;
    VolumeSet output(options.output, stub, header);
    PieceLayout layout(output, limits);
    Progress progress(!options.quiet, total, scan.files.size());
    InterruptGuard interrupts;
    Stream(scan, options, layout, progress);
    output.Close();
    progress.Finish();

    for (size_t i = 1; i < output.Files().size(); i++)
        if (fs::exists(output.Files()[i]->Target(), error))
            Note("overwriting " + output.Files()[i]->Target().string());
    output.Commit();
    // The installer never reads past the last piece, so higher volumes of
    // an earlier pack stay unread; each is named, so that none ships by mistake.
    for (auto number = static_cast<unsigned>(output.Files().size());; number++) {
        fs::path stale = VolumePath(options.output, number);
        if (!fs::exists(stale, error))
            break;
        Note("note: " + stale.string() + " is left from an earlier pack; the installer does not read it");
    }

    NoteUnpackTime(output.Pieces());
    if (!options.quiet) {
        uint64_t written = 0;
        for (const auto& file : output.Files())
            written += file->Size();
        std::printf("%s, %llu bytes -> %s (%llu bytes in %s); the installer unpacks it in %s\n",
                    Count(scan.files.size(), "file").c_str(), static_cast<unsigned long long>(total),
                    options.output.string().c_str(), static_cast<unsigned long long>(written),
                    Count(output.Files().size(), "file").c_str(), UnpackTime(output.Pieces()).c_str());
    }
}
