// What verify accepts: the installer's own worker runs each archive, and the
// builder's checks come on top. Each case is a run of pieces; the header
// counts their distinct names and starts the first one, and the last piece
// ends the archive. Data is one byte per piece, a stored block for a block
// file, so that the worker can decode it.
#include "tools/rozbal/installer_run.h"

#include "extract/commands.h"
#include "extract/helpers.h"
#include "extract/worker.h"
#include "tests/support/archive_writer.h"
#include "tools/rozbal/batch_decoder.h"
#include "tools/rozbal/errors.h"
#include "tools/rozbal/names.h"

#include <gtest/gtest.h>

#include "archive/entry_name.h"

#include <cstring>
#include <set>

namespace fs = std::filesystem;

namespace {

struct Step {
    uint32_t flags;
    const char* name;
    uint32_t size;  // 0: no data
};

std::string Pieces(const std::vector<Step>& steps)
{
    std::string pieces;
    for (size_t i = 0; i < steps.size(); i++) {
        const Step& s = steps[i];
        uint32_t flags = s.flags | (i + 1 == steps.size() ? ENTRY_LAST : 0);
        std::string data = !s.size               ? ""
                           : IsBlockName(s.name) ? StoredBlocks({std::string(s.size, 'b')})
                                                 : std::string(s.size, 'x');
        pieces += Piece(flags, s.name, data);
    }
    return pieces;
}

size_t DistinctNames(const std::vector<Step>& steps)
{
    std::set<std::string> names;
    for (const Step& s : steps)
        names.insert(s.name);
    return names.size();
}

class VerifyTest : public ::testing::Test {
  protected:
    // Runs installer through the worker; returns its message when verify
    // refuses it, otherwise its warnings ("" for none). files receives the names of the files the
    // worker left (block files decoded), '\' between parts; starts what the
    // installer would start.
    std::string Verify(const std::string& installer, std::set<std::string>* files = nullptr,
                       std::string* starts = nullptr)
    {
        WriteFile(dir_ / "SETUP.EXE", installer);
        fs::remove_all(dir_ / "temp");
        fs::create_directory(dir_ / "temp");
        RunOptions options;
        options.archive = dir_ / "SETUP.EXE";
        options.temp_dir = dir_ / "temp";
        options.skip_password = true;
        ::testing::internal::CaptureStderr();
        try {
            InstallerRun run(options);
            if (starts)
                *starts = run.SetupProgram();
            for (const auto& entry : fs::recursive_directory_iterator(run.Extracted()))
                if (files && entry.is_regular_file()) {
                    std::string name = fs::relative(entry.path(), run.Extracted()).string();
                    std::replace(name.begin(), name.end(), '/', '\\');
                    files->insert(name);
                }
        } catch (const InputError& e) {
            ::testing::internal::GetCapturedStderr();
            return e.what();
        }
        return ::testing::internal::GetCapturedStderr();
    }

    std::string Replay(const std::vector<Step>& steps, std::set<std::string>* files = nullptr)
    {
        // The first piece is the setup program, unless the installer would
        // refuse its name as one before it reads any piece.
        std::string setup = IsSafeEntryName(steps[0].name) ? steps[0].name : "setup";
        return Verify(Installer(Header(DistinctNames(steps), 1, setup, "t"), Pieces(steps)), files);
    }

    TempDir dir_;
};

TEST_F(VerifyTest, WhatTheInstallerAccepts)
{
    struct Case {
        std::vector<Step> steps;
        const char* refusal;  // "piece N...: part of the reason", a warning, or "" when verify accepts
    } cases[] = {
        {{{9, "a", 1}}, ""},
        {{{1, "a\\b", 1}}, ""},  // one level is created below the extraction directory
        {{{1, "a\\b\\c", 1}},
         "piece 1 (a\\b\\c): the installer refuses the piece before writing it: its directory"},
        {{{1, "a\\x", 1}, {1, "a\\b\\c", 1}}, ""},
        {{{1, "a\\b\\x", 1}, {1, "a", 1}}, "piece 1 (a\\b\\x): the installer refuses the piece"},
        {{{1, "a", 1}, {1, "a\\b", 1}}, "piece 2 (a\\b): the installer refuses the piece before writing it"},
        {{{1, "a\\b", 1}, {1, "A\\c", 1}}, ""},  // Windows names ignore case
        {{{1, "a\\b", 1}, {1, "a", 1}},
         "piece 2 (a): the installer cannot open the piece's file: the name is a directory"},
        {{{2, "a", 1}},
         "piece 1 (a): the installer cannot open the piece's file: the piece continues a file that does not"},
        {{{1, "a", 1}, {2, "a", 5}, {3, "a", 5}}, ""},
        {{{1, "a", 1}, {1, "b", 1}, {2, "a", 5}}, ""},  // the installer appends to any existing file
        {{{0, "a", 0}},
         "piece 1 (a): the installer cannot open the piece's file: a piece neither creating nor continuing"},
        {{{1, "a", 0}, {0, "a", 0}}, ""},
        {{{1, "a", 0}, {0, "a", 1}},
         "piece 2 (a): a piece neither creating nor continuing a file carries data"},
        {{{1, "..\\evil", 1}},
         "piece 1 (..\\evil): the installer refuses the piece before writing it: the name is refused: it has "
         "a '..' component"},
        {{{1, "c:\\evil", 1}}, "the name is refused: it contains ':'"},
        {{{1, "\\evil", 1}}, "the name is refused: it is rooted"},
        {{{1, "\\\\host\\share\\x", 1}}, "the name is refused: it is rooted"},
        // Warnings: the installer installs these.
        {{{1, "Readme", 1}, {1, "README", 1}},
         "on Windows they are one file, the later overwriting the earlier"},
        {{{1, "a", 1}, {1, "A\\b", 1}}, "cannot make both a file and a directory"},
        {{{1, "x.xxx", 1}, {2, "x.xxx", 1}, {1, "y", 1}}, ""},
        {{{1, "x.xxx", 1}, {1, "y", 1}, {2, "x.xxx", 1}},
         "piece 3 (x.xxx): the installer cannot open the piece's file: the piece continues"},
        {{{1, "d\\x.xxx", 1}, {1, "d\\x\\y", 1}}, "piece 2 (d\\x\\y): block file 'd\\x.xxx' does not decode"},
        {{{1, "setup", 1}, {9, "CON", 1}},
         "piece 2 (CON): the installer refuses the piece before writing it: the name is refused"},
    };
    for (const Case& c : cases) {
        std::string refusal = Replay(c.steps);
        if (c.refusal[0] == 0)
            EXPECT_EQ(refusal, "") << c.steps[0].name;
        else
            EXPECT_NE(refusal.find(c.refusal), std::string::npos) << c.steps[0].name << " gave: " << refusal;
    }
}

// The builder runs archives, never their programs: outside a run its port
// starts nothing at all (inside one it records, below).
TEST(Headless, StartsNoProgram)
{
    TempDir dir;
    std::string marker = (dir / "ran").string();
    SysProcess process;
    EXPECT_EQ(StartProgram("/usr/bin/touch", ("/usr/bin/touch " + marker).c_str(), dir.path().c_str(), &process), 0);
    EXPECT_FALSE(fs::exists(marker));
}

TEST_F(VerifyTest, BlockFilesAreDecodedWhenTheNextFileBegins)
{
    std::set<std::string> files;
    EXPECT_EQ(
        Replay({{1, "a.xxx", 9}, {2, "a.xxx", 9}, {1, "b.XXX", 9}, {1, "c", 9}, {1, "d.xxx", 9}}, &files),
        "");
    EXPECT_EQ(files, (std::set<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(g_block_decoder, &g_libdeflate_blocks);  // the builder's run decodes with the builder's decoder
}

TEST_F(VerifyTest, ChecksCountAndSetupProgram)
{
    struct Case {
        std::vector<Step> steps;
        uint32_t file_count;
        const char* setup;
        const char* refusal;
        const char* starts;  // the program and arguments the installer starts, when verify accepts
    } cases[] = {
        {{{1, "setup.exe", 1}, {9, "x", 1}}, 2, "setup.exe", "", "setup.exe"},
        {{{1, "setup.exe", 1}, {2, "setup.exe", 1}, {9, "x", 1}}, 2, "setup.exe", "", "setup.exe"},
        {{{1, "setup.exe", 1}, {9, "x", 1}},
         3,
         "setup.exe",
         "the header counts 3 files, the archive holds 2; the installer's progress bar",  // a warning
         "setup.exe"},
        {{{1, "d\\setup.exe.xxx", 1}, {9, "x", 1}}, 2, "d\\setup.exe.xxx", "", "d\\setup.exe"},
        {{{9, "d\\Setup.exe.xxx", 1}}, 1, "D\\SETUP.EXE.xxx", "", "D\\SETUP.EXE"},
        {{{9, "setup.exe", 1}}, 1, "setup.exe /S", "", "setup.exe /S"},
        {{{9, "setup.exe", 1}}, 1, "setup.exe\t/S", "", "setup.exe\t/S"},
        {{{9, "my setup.exe", 1}}, 1, "my setup.exe /S", "", "my setup.exe /S"},
        {{{9, "setup.exe", 1}}, 1, "setup.exe\t", "", "setup.exe\t"},
        {{{9, "setup.exe", 1}}, 1, "install.exe", "the setup program 'install.exe' is not among", ""},
        {{{9, "setup.exe.xxx", 1}}, 1, "setup.exe.xxx.xxx", "the setup program 'setup.exe.xxx' is not among", ""},
        {{{9, "setup.exe", 1}}, 1, "", "the header names no setup program", ""},
    };
    for (const Case& c : cases) {
        std::string starts;
        std::string refusal = Verify(Installer(Header(c.file_count, 1, c.setup, "t"), Pieces(c.steps)), nullptr, &starts);
        if (c.refusal[0] == 0)
            EXPECT_EQ(refusal, "") << c.setup;
        else
            EXPECT_NE(refusal.find(c.refusal), std::string::npos) << c.setup << " gave: " << refusal;
        EXPECT_EQ(starts, c.starts) << c.setup;
    }
}

// The worker runs its own launch, and the port records what it would start:
// the program's full path, the command line (the extraction directory, then
// the field without ".xxx" at its end), the directory. A program the worker
// does not find on this system's case-sensitive names is a launch that
// shows the error box after the whole extraction.
TEST(Headless, RecordsWhatTheWorkerWouldStart)
{
    struct {
        const char* field;
        const char* piece;
        const char* program;  // in the extraction directory; "" when nothing would start
        const char* command;  // the command line after the extraction directory
    } cases[] = {
        {"setup.exe\t/S", "setup.exe", "setup.exe", "setup.exe\t/S"},
        {"my setup.exe -q x", "my setup.exe", "my setup.exe", "my setup.exe -q x"},
        {"d\\setup.exe.xxx", "d\\setup.exe.xxx", "d\\setup.exe", "d\\setup.exe"},
        {"SETUP.EXE", "setup.exe", "", ""},
        {"missing /S", "setup.exe", "", ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        std::string piece = IsBlockName(c.piece) ? StoredBlocks({"MZ"}) : "MZ";
        WriteFile(dir / "SETUP.EXE", Installer(Header(1, 1, c.field, "t"), Piece(9, c.piece, piece)));
        HeadlessRun run = RunHeadless((dir / "SETUP.EXE").c_str(), dir.path().c_str(), HeadlessOptions());
        std::string extraction = g_extract_dir;
        RemoveExtraction();
        EXPECT_TRUE(run.extracted) << c.field;
        EXPECT_EQ(run.message, c.program[0] ? 0 : IDS_ERROR) << c.field;
        ASSERT_EQ(run.launch.has_value(), c.program[0] != 0) << c.field;
        if (!run.launch)
            continue;
        EXPECT_EQ(run.launch->program, extraction + c.program) << c.field;
        EXPECT_EQ(run.launch->command_line, extraction + c.command) << c.field;
        EXPECT_EQ(run.launch->directory, extraction) << c.field;
        EXPECT_FALSE(run.launch->elevated) << c.field;
    }
}

}  // namespace
