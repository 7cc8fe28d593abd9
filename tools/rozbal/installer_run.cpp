#include "tools/rozbal/installer_run.h"

#include "archive/format.h"
#include "extract/commands.h"
#include "extract/worker.h"
#include "tools/rozbal/errors.h"
#include "tools/rozbal/names.h"
#include "tools/rozbal/progress.h"
#include "tools/rozbal/reader.h"
#include "tools/rozbal/system.h"

#include <cstring>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

std::string Quoted(const std::string& cp1250)
{
    return "'" + DisplayText(cp1250) + "'";
}

// Piece `number` of the archive as the reader finds it. Returns false when
// the archive ends before it; error receives the reader's complaint when it
// fails on the way.
bool Locate(const fs::path& archive, unsigned number, Piece& piece, std::string& error)
{
    try {
        ArchiveReader reader(archive);
        while (reader.Next(piece))
            if (piece.number == number)
                return true;
    } catch (const InputError& e) {
        error = e.what();
    }
    return false;
}

// RemoveExtraction, which moves the current directory, leaving it where it was.
void RemoveExtractionHere()
{
    std::error_code ignored;
    fs::path cwd = fs::current_path(ignored);
    RemoveExtraction();
    fs::current_path(cwd, ignored);
}

}  // namespace

InstallerRun::InstallerRun(const RunOptions& options) : options_(options)
{
    CheckRoom();
    std::error_code ignored;
    fs::path cwd = fs::current_path(ignored);
    HeadlessOptions headless;
    headless.password = options.password;
    headless.decline_password = !options.skip_password;
    uint64_t total = 0;
    for (uint32_t size : piece_sizes_)
        total += size;
    Progress progress(options.progress, total, piece_sizes_.size(), "pieces");
    size_t shown = 0;
    headless.on_piece = [&](const char*) {
        progress.Advance(shown < piece_sizes_.size() ? piece_sizes_[shown] : 0, true);
        shown++;
    };
    std::string archive = WorkerPath(fs::absolute(options.archive));
    std::string temp = WorkerPath(fs::absolute(options.temp_dir));
    // Start-up cannot hold a longer name: the worker would not run at all.
    if (archive.size() >= SYS_PATH_SIZE)
        throw InputError(options.archive.string() +
                         ": the path is longer than the installer's 259 characters");
    HeadlessRun run = RunHeadless(archive.c_str(), temp.c_str(), headless);
    fs::current_path(cwd, ignored);  // the worker moves into the directories it makes
    if (!run.message || run.extracted)
        progress.Finish();
    // Without the worker's trailing separator, so that the paths below it
    // are relative to it lexically, without a look at the disk per file.
    extracted_ = FromWorkerPath(g_extract_dir).parent_path();
    // The worker's own launch names the program and arguments; without it
    // (a program the worker did not find on this system's case-sensitive
    // names), the field, as the worker forms the command line from it.
    bool launched = run.launch.has_value();
    if (launched)
        setup_ = run.launch->command_line.substr(std::strlen(g_extract_dir));
    else if (IsBlockName(run.setup_program))
        setup_ = PlainName(run.setup_program);
    else
        setup_ = run.setup_program;
    try {
        if (run.interrupted)
            throw Interrupted(InterruptGuard::Pending());
        // A write the system refused is this machine's fault, whatever the
        // worker's box says.
        std::error_code write_error = PlatformError(run.outcome.error);
        if (run.message && run.outcome.error && IsMachineFault(write_error))
            throw OutputError("cannot write in " + options.temp_dir.string() + ": " + write_error.message());
        // A launch that found no program is worded by the tree check, which
        // finds it case-blind as Windows does.
        if (run.message && run.outcome.reason != STOP_NONE && run.outcome.reason != STOP_NO_PROGRAM)
            throw InputError(Refusal(run));
        CheckArchive();
        CheckTree(launched);
        // The launch's box after the whole extraction is no failure when the
        // tree check found the program (case-blind, as Windows finds it).
        if (run.message && !run.extracted)
            throw InputError(Refusal(run));
    } catch (...) {
        RemoveExtractionHere();
        throw;
    }
}

// Before anything is written: the pieces' data all land in the temporary
// directory, so a disk with less room fails the run for the machine's sake.
// An archive the reader cannot walk is left to the worker's verdict.
void InstallerRun::CheckRoom()
{
    uint64_t needed = 0;
    try {
        ArchiveReader reader(options_.archive);
        Piece piece;
        while (reader.Next(piece)) {
            needed += piece.record.size;
            piece_sizes_.push_back(piece.record.size);
        }
    } catch (const InputError&) {
        return;
    }
    std::error_code error;
    fs::space_info space = fs::space(options_.temp_dir, error);
    if (!error && space.available < needed)
        throw OutputError("cannot write in " + options_.temp_dir.string() + ": " +
                          std::make_error_code(std::errc::no_space_on_device).message() +
                          " (the pieces need " + std::to_string(needed) + " bytes, " +
                          std::to_string(space.available) + " are free)");
}

InstallerRun::~InstallerRun()
{
    RemoveExtractionHere();
}

// The worker's verdict in words: its outcome says where and why it
// stopped; the reader names that piece, finds the faults of the archive's
// structure on the way, and the builder adds what the worker cannot see.
std::string InstallerRun::Refusal(const HeadlessRun& run) const
{
    const WorkerOutcome& outcome = run.outcome;
    std::string archive = options_.archive.string();
    switch (outcome.reason) {
    case STOP_NONE:
    case STOP_NO_PROGRAM: return archive + ": the installer cannot start its setup program";
    case STOP_NO_PASSWORD: return archive + ": the archive asks for a password: give it with --password";
    case STOP_WRONG_PASSWORD: return archive + ": the password given is not the archive's";
    case STOP_NO_VOLUME:
        return "missing volume " + VolumePath(options_.archive, outcome.place.volume).string() +
               ": the archive goes on after piece " + std::to_string(outcome.place.piece - 1);
    case STOP_NO_DIRECTORY:
        return archive + ": the installer cannot make its extraction directory in " +
               options_.temp_dir.string();
    case STOP_NO_MEMORY: return archive + ": the installer cannot have its piece buffer of 3,000,000 bytes";
    case STOP_TAKEN_OVER: return archive + ": the installer's extraction was taken from it";
    case STOP_COMMAND_LINE:
        return archive + ": the setup program's path is longer than the installer's 259 characters";
    case STOP_NO_ARCHIVE:
    case STOP_SETUP_FIELD:
        try {
            ArchiveReader reader(options_.archive);  // refuses a header the installer refuses
        } catch (const InputError& e) {
            return e.what();
        }
        return archive + (outcome.reason == STOP_NO_ARCHIVE
                              ? ": the installer cannot read its header"
                              : ": the installer refuses its setup program field");
    }
    Piece piece;
    std::string error;
    if (!Locate(options_.archive, outcome.place.piece, piece, error))
        return !error.empty() ? error
                              : archive + ": the installer stops at piece " +
                                    std::to_string(outcome.place.piece) + ", after the archive's end";
    std::string where = ArchiveReader::Where(piece);
    const EntryRecord& record = piece.record;
    bool neither = !(record.flags & (ENTRY_CREATE | ENTRY_APPEND));
    const std::string before = where + ": the installer refuses the piece before writing it: ";
    switch (outcome.reason) {
    case STOP_NAME: {
        std::string why = CheckArchiveName(record.name);
        return before + "the name is refused" + (why.empty() ? "" : ": " + why);
    }
    case STOP_PATH_TOO_LONG: return before + "its path is longer than 259 characters";
    case STOP_NO_TARGET_DIRECTORY:
        return before + "its directory cannot be made (one level per piece, below an existing one)";
    case STOP_OPEN:
        return where + ": the installer cannot open the piece's file" +
               (neither ? ": a piece neither creating nor continuing a file needs one that exists"
                : (record.flags & ENTRY_APPEND) ? ": the piece continues a file that does not exist"
                                                : ": the name is a directory");
    case STOP_SEEK: return where + ": the installer cannot find the end of the file the piece continues";
    case STOP_WRITE:
        if (neither && record.size > 0)
            return where + ": a piece neither creating nor continuing a file carries data: the write fails";
        return where + ": the installer cannot write the piece whole";
    case STOP_DECODE:
    case STOP_DECODE_LAST: {
        // The file decoded is the one the pieces before this one wrote,
        // or at the end the last piece's own.
        Piece block = piece;
        if (outcome.reason == STOP_DECODE && !Locate(options_.archive, outcome.place.piece - 1, block, error))
            return where + ": the installer cannot decode the block file before it";
        return where + ": block file " + Quoted(block.record.name) + " does not decode";
    }
    }
    // The reader refuses the rest on its way to the piece.
    return where + ": the installer cannot read the piece";
}

// Names the installer writes but Windows refuses, and the file count.
void InstallerRun::CheckArchive()
{
    ArchiveReader reader(options_.archive);
    std::set<std::string> names;
    Piece piece;
    while (reader.Next(piece)) {
        std::string why = CheckArchiveName(piece.record.name);
        if (!why.empty())
            throw InputError(ArchiveReader::Where(piece) + ": the name is refused: " + why);
        names.insert(piece.record.name);
        totals_.pieces++;
        totals_.volumes = piece.volume + 1;
        totals_.stored += piece.record.size;
    }
    totals_.files = names.size();
    uint32_t count = reader.Header().file_count;
    NoteFileCount(count);
    // The installer takes the count only as its progress bar's range.
    if (count != names.size())
        Note("warning: " + options_.archive.string() + ": the header counts " + std::to_string(count) +
             " files, the archive holds " + std::to_string(names.size()) +
             "; the installer's progress bar will not end at its end");
}

// Names that are one file on Windows, and, unless the worker launched it,
// the setup program among the files under Windows' case-blind names.
void InstallerRun::CheckTree(bool launched)
{
    std::map<std::string, std::pair<std::string, bool>> seen;  // by FoldCase'd name: name, is a file
    for (const auto& entry : fs::recursive_directory_iterator(extracted_)) {
        std::string name = ExtractedName(entry.path().lexically_relative(extracted_));
        for (char& c : name)
            if (c == '/')
                c = '\\';
        bool is_file = entry.is_regular_file();
        auto [it, added] = seen.emplace(FoldCase(name), std::make_pair(name, is_file));
        // Two directories of one name are one directory there, and harmless;
        // two files are one, the later piece overwriting the earlier; a file
        // and a directory of one name stop the installer.
        std::string clash = options_.archive.string() + ": " + Quoted(name) + " and " +
                            Quoted(it->second.first) + " differ only in letter case: on Windows they are one";
        if (!added && is_file && it->second.second)
            Note("warning: " + clash + " file, the later overwriting the earlier");
        else if (!added && (is_file || it->second.second))
            throw InputError(clash + ", and the installer cannot make both a file and a directory");
        if (is_file)
            totals_.installed += entry.file_size();
    }
    auto holds_file = [&seen](const std::string& name) {
        auto it = seen.find(FoldCase(name));
        return it != seen.end() && it->second.second;
    };
    if (launched)
        return;
    if (setup_.empty())
        throw InputError(options_.archive.string() + ": the header names no setup program");
    std::string arguments;
    if (PickSetupProgram(setup_, holds_file, arguments).empty())
        throw InputError(options_.archive.string() + ": the setup program " + Quoted(setup_) +
                         " is not among the archive's files");
}
