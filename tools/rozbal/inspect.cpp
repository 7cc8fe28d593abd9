#include "tools/rozbal/inspect.h"

#include "tools/rozbal/errors.h"
#include "tools/rozbal/installer_resources.h"
#include "tools/rozbal/installer_run.h"
#include "tools/rozbal/names.h"
#include "tools/rozbal/reader.h"
#include "tools/rozbal/signature.h"
#include "tools/rozbal/system.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <vector>

namespace fs = std::filesystem;

namespace {

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

// A new directory under the system's temporary directory for the worker's
// run, removed with all it holds.
class Scratch {
  public:
    Scratch()
    {
        // A new name each try: creating it fails when anything is there,
        // a link included. Only the owner may look inside.
        std::error_code error;
        fs::path temp = fs::temp_directory_path(error);
        if (error)
            throw OutputError(
                SystemMessage("no temporary directory (" + std::string(kTempVariable) + ")", error.value()));
        std::random_device random;
        for (int attempt = 0; attempt < 100; attempt++) {
            path_ = temp / ("rozbal-verify-" + std::to_string(ProcessId()) + "-" + std::to_string(random()));
            if (fs::create_directory(path_, error)) {
                fs::permissions(path_, fs::perms::owner_all, error);
                if (!error)
                    return;
                std::error_code ignored;
                fs::remove(path_, ignored);
                break;
            }
            if (error)
                break;
        }
        throw OutputError(
            SystemMessage("cannot create a directory in " + temp.string(), error ? error.value() : EEXIST));
    }
    ~Scratch()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const
    {
        return path_;
    }

  private:
    fs::path path_;
};

// The run's options; password receives --password in code page 1250, as
// pack stores it, and must outlive the run.
RunOptions Run(const ReadOptions& options, const fs::path& temp_dir, bool skip_password,
               std::string& password)
{
    if (options.password && !Utf8ToCp1250(*options.password, password))
        throw UsageError("--password: the text cannot be written in code page 1250");
    RunOptions run;
    run.archive = options.archive;
    run.temp_dir = temp_dir;
    run.password = options.password ? password.c_str() : nullptr;
    run.skip_password = skip_password;
    run.progress = !options.quiet;
    return run;
}

// What a failed or interrupted extract has written goes again: the target
// when this run made it, else what came into it (it was empty).
class TargetCleanup {
  public:
    // Call before the target is made.
    explicit TargetCleanup(const fs::path& target) : target_(target)
    {
        std::error_code error;
        for (fs::path at = fs::absolute(target, error); !error && !fs::exists(at, error);
             at = at.parent_path())
            made_ = at;  // the outermost directory that is not there yet
    }
    ~TargetCleanup()
    {
        std::error_code ignored;
        if (done_)
            return;
        if (!made_.empty()) {
            fs::remove_all(made_, ignored);
            return;
        }
        for (const auto& entry : fs::directory_iterator(target_, ignored))
            fs::remove_all(entry.path(), ignored);
    }
    TargetCleanup(const TargetCleanup&) = delete;
    TargetCleanup& operator=(const TargetCleanup&) = delete;

    void Done()
    {
        done_ = true;
    }

  private:
    fs::path target_, made_;
    bool done_ = false;
};

// Moves the extracted tree into target under UTF-8 names.
void MoveOut(const fs::path& from, const fs::path& target)
{
    std::vector<fs::path> entries{fs::recursive_directory_iterator(from), fs::recursive_directory_iterator()};
    for (const fs::path& entry : entries) {
        if (int signal = InterruptGuard::Pending())
            throw Interrupted(signal);
        std::string name = ExtractedName(entry.lexically_relative(from)), utf8;
        if (!Cp1250ToUtf8(name, utf8))
            throw InputError(DisplayText(name) + ": the name is not valid code page 1250");
        std::error_code error;
        if (fs::is_directory(entry))
            fs::create_directory(target / fs::u8path(utf8), error);
        else
            fs::rename(entry, target / fs::u8path(utf8), error);
        if (error)
            throw OutputError(
                SystemMessage("cannot write " + (target / fs::u8path(utf8)).string(), error.value()));
    }
}

// The icon and version lines of list and verify, when there are any.
void PrintLook(const InstallerLook& look)
{
    if (!look.icon.empty())
        std::printf("icon:     %s\n", DescribeIcon(look.icon).c_str());
    for (const auto& [name, text] : look.version)
        std::printf("version:  %s: %s\n", name.c_str(), text.c_str());
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
    std::printf("signing:  %s\n", Describe(ReadSignature(options.archive)).c_str());
    PrintLook(ReadLook(options.archive, reader.HeaderOffset()));
    std::printf("\n");
    std::printf("%-20s %10s  %-18s %8s  %s\n", "file", "offset", "flags", "size", "name");
    Piece piece;
    while (reader.Next(piece)) {
        std::string flags = std::to_string(piece.record.flags) + " " + FlagNames(piece.record.flags);
        std::printf("%-20s %10llu  %-18s %8u  %s\n", piece.file.filename().string().c_str(),
                    static_cast<unsigned long long>(piece.offset), flags.c_str(), piece.record.size,
                    DisplayText(piece.record.name).c_str());
        std::fflush(stdout);
    }
    std::printf("\nunpacking: %s\n", UnpackTime(piece.number).c_str());
    NoteUnpackTime(piece.number);
}

void ListNames(const ReadOptions& options)
{
    ArchiveReader reader(options.archive);
    Piece piece;
    while (reader.Next(piece))
        if (!(piece.record.flags & ENTRY_APPEND))  // a file's first piece
            std::printf("%s\n", DisplayText(piece.record.name).c_str());
}

ArchiveTotals RunVerify(const ReadOptions& options)
{
    Signature signature = ReadSignature(options.archive);
    if (signature.padding != 0)
        throw InputError(options.archive.string() + ": " + Describe(signature));
    InterruptGuard interrupts;
    Scratch scratch;
    std::string password;
    InstallerRun run(Run(options, scratch.Path(), !options.password, password));
    const ArchiveTotals& totals = run.Totals();
    NoteUnpackTime(totals.pieces);
    if (!options.quiet)
        std::printf("%s: OK: %s in %s, %s, %llu bytes stored, %llu installed; %s\n",
                    options.archive.string().c_str(), Count(totals.files, "file").c_str(),
                    Count(totals.pieces, "piece").c_str(), Count(totals.volumes, "volume").c_str(),
                    static_cast<unsigned long long>(totals.stored),
                    static_cast<unsigned long long>(totals.installed), Describe(signature).c_str());
    if (!options.quiet) {
        std::printf("the installer unpacks it in %s\n", UnpackTime(totals.pieces).c_str());
        PrintLook(ReadLook(options.archive, ArchiveReader(options.archive).HeaderOffset()));
    }
    return totals;
}

void RunExtract(const ReadOptions& options)
{
    std::error_code error;
    if (fs::exists(options.target, error) && !fs::is_empty(options.target, error))
        throw UsageError(options.target.string() + " is not empty; extract into a new or empty directory");
    std::string password;
    RunOptions run_options = Run(options, options.target, false, password);
    InterruptGuard interrupts;
    TargetCleanup cleanup(options.target);
    fs::create_directories(options.target, error);
    if (error)
        throw OutputError(SystemMessage("cannot create " + options.target.string(), error.value()));
    // The target is the worker's temporary directory: its extraction
    // directory is made inside, and emptied into it at the end.
    InstallerRun run(run_options);
    MoveOut(run.Extracted(), options.target);
    cleanup.Done();
    if (!options.quiet)
        std::printf("extracted %s into %s; the installer would start %s\n",
                    Count(run.Totals().files, "file").c_str(), options.target.string().c_str(),
                    DisplayText(run.SetupProgram()).c_str());
}
