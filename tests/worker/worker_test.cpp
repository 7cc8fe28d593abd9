// Whole runs of the worker that end with the setup program: the commands in
// order, the files written and decoded, the launch, cancel and password.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "extract/worker.h"
#include "resources/texts.h"
#include "extract/commands.h"
#include "tests/support/archive_writer.h"
#include "tests/worker/worker_fixture.h"

using Log = std::vector<std::string>;

// The recording setup program's lines, or none when it did not run.
static std::vector<std::string> RecordLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(path));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

static bool Has(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(WorkerTest, RunsInTheDocumentedOrderAndStartsTheSetupProgram)
{
    Run(Installer(Header(3, 1, "setup", "Hra"),
                  Piece(ENTRY_CREATE, "readme.txt", "hello") + Piece(ENTRY_CREATE, "sub\\data.bin", "bytes") +
                      SetupPiece(ENTRY_CREATE | ENTRY_LAST, "setup")));

    EXPECT_EQ(log, (Log{"busy+", "total 3", "title Hra", "show readme.txt", "show sub\\data.bin", "show setup",
                        "busy-", "hide", "close"}));
    EXPECT_EQ(window.title, std::string("Hra ") + TEXT_CAPTION);
    EXPECT_EQ(window.bar_maximum, 3);
    EXPECT_EQ(window.bar_position, 3);
    EXPECT_TRUE(window.hidden);
    EXPECT_TRUE(window.closed);
    EXPECT_EQ(extracted.size(), 4u);
    EXPECT_EQ(extracted["readme.txt"], "hello");
    EXPECT_EQ(extracted["sub/data.bin"], "bytes");
    EXPECT_EQ(extracted["setup"], ReadFile(RECORD_SETUP_PATH));

    // The last piece lay in the extraction directory, which is current.
    auto record = RecordLines(Record());
    EXPECT_EQ(record.at(0), "arg " + extract_dir + "setup");
    EXPECT_TRUE(Has(record, "cwd " + extract_dir.substr(0, extract_dir.size() - 1)));
    EXPECT_TRUE(Has(record, "file readme.txt"));
    EXPECT_TRUE(Has(record, "file sub"));
}

TEST_F(WorkerTest, StaysHiddenAfterTheSetupProgramWhenNotToClose)
{
    Run(Installer(Header(1, 0, "setup", ""), SetupPiece(ENTRY_CREATE | ENTRY_LAST, "setup")));

    EXPECT_EQ(log, (Log{"busy+", "total 1", "title ", "show setup", "busy-", "hide"}));
    EXPECT_EQ(window.title, std::string(" ") + TEXT_CAPTION);
    EXPECT_TRUE(window.hidden);
    EXPECT_FALSE(window.closed);
    EXPECT_FALSE(RecordLines(Record()).empty());
}

// Wherever the program and the last pieces lie, it starts in the extraction
// directory, so that it finds the files it names relative to it.
TEST_F(WorkerTest, SetupProgramRunsInTheExtractionDirectory)
{
    Run(Installer(Header(2, 1, "sub\\setup", "t"),
                  Piece(ENTRY_CREATE, "sub\\a", "x") + SetupPiece(ENTRY_CREATE | ENTRY_LAST, "sub\\setup")));

    auto record = RecordLines(Record());
    ASSERT_FALSE(record.empty());
    EXPECT_EQ(record.at(0), "arg " + extract_dir + "sub/setup");
    EXPECT_TRUE(Has(record, "cwd " + extract_dir.substr(0, extract_dir.size() - 1)));
    EXPECT_TRUE(Has(record, "file a"));
}

TEST_F(WorkerTest, BlockFileSetupProgramStartsUnderItsDecodedName)
{
    std::string program = ReadFile(RECORD_SETUP_PATH);
    std::string blocks = StoredBlocks({program.substr(0, 5000), program.substr(5000)});
    MarkExecutable("Setup.XXX", "Setup");
    Run(Installer(Header(1, 1, "Setup.XXX", "t"), Piece(ENTRY_CREATE | ENTRY_LAST, "Setup.XXX", blocks)));

    EXPECT_EQ(log, (Log{"busy+", "total 1", "title t", "show Setup.XXX", "busy-", "hide", "close"}));
    auto record = RecordLines(Record());
    ASSERT_FALSE(record.empty());
    EXPECT_EQ(record.at(0), "arg " + extract_dir + "Setup");
    EXPECT_TRUE(Has(record, "file Setup"));
    EXPECT_FALSE(Has(record, "file Setup.XXX"));
}

TEST_F(WorkerTest, PiecesOfOneNameMakeOneFileAndStepTheBarOnce)
{
    // The block file is cut inside a block: it is decoded only once whole.
    std::string blocks = StoredBlocks({"first block, ", "second block"});
    Run(Installer(Header(2, 1, "none", "t"),
                  Piece(ENTRY_CREATE, "a.txt", "one ") + Piece(ENTRY_APPEND, "a.txt", "two") +
                      Piece(ENTRY_CREATE, "b.xxx", blocks.substr(0, 10)) +
                      Piece(ENTRY_APPEND | ENTRY_LAST, "b.xxx", blocks.substr(10))));

    EXPECT_EQ(log, (Log{"busy+", "total 2", "title t", "show a.txt", "show a.txt", "show b.xxx", "show b.xxx",
                        "busy-", "hide", ErrorBox(IDS_ERROR), "close"}));
    EXPECT_EQ(window.bar_position, 2);
    EXPECT_EQ(extracted["a.txt"], "one two");
    EXPECT_EQ(extracted["b"], "first block, second block");
    EXPECT_EQ(extracted.count("b.xxx"), 0u);
}

TEST_F(WorkerTest, PieceAsLargeAsTheBufferIsWrittenWhole)
{
    std::string data(PIECE_SIZE_MAX, 'z');
    Run(Installer(Header(1, 1, "none", "t"), Piece(ENTRY_CREATE | ENTRY_LAST, "big", data)));

    EXPECT_EQ(extracted["big"].size(), data.size());
    EXPECT_EQ(log.at(log.size() - 2), ErrorBox(IDS_ERROR));  // no setup program
    EXPECT_EQ(g_outcome.reason, STOP_NO_PROGRAM);
}

TEST_F(WorkerTest, AppendWinsOverCreate)
{
    Run(Installer(Header(1, 1, "none", "t"),
                  Piece(ENTRY_CREATE, "a", "kept ") + Piece(ENTRY_CREATE | ENTRY_APPEND | ENTRY_LAST, "a", "more")));

    EXPECT_EQ(extracted["a"], "kept more");
}

TEST_F(WorkerTest, CancelFinishesThePieceDecodesWhatIsThereAndStartsNothing)
{
    std::string blocks = StoredBlocks({"one ", "two ", "three"});
    size_t third = blocks.size() - 11;  // where the third block starts
    window.cancel_at_show = 1;
    Run(Installer(Header(2, 1, "setup", "t"),
                  Piece(ENTRY_CREATE, "a.xxx", blocks.substr(0, third)) +
                      Piece(ENTRY_APPEND, "a.xxx", blocks.substr(third)) +
                      SetupPiece(ENTRY_CREATE | ENTRY_LAST, "setup")));

    EXPECT_EQ(log, (Log{"busy+", "total 2", "title t", "show a.xxx", "busy-", "hide"}));
    EXPECT_TRUE(window.closed);
    EXPECT_EQ(extracted, (std::map<std::string, std::string>{{"a", "one two "}}));
    EXPECT_TRUE(RecordLines(Record()).empty());
}

TEST_F(WorkerTest, CancelInsideABlockPayloadFailsTheDecoding)
{
    std::string blocks = StoredBlocks({"one ", "two "});
    window.cancel_at_show = 1;
    Run(Installer(Header(1, 1, "none", "t"),
                  Piece(ENTRY_CREATE, "a.xxx", blocks.substr(0, blocks.size() - 2)) +
                      Piece(ENTRY_APPEND | ENTRY_LAST, "a.xxx", blocks.substr(blocks.size() - 2))));

    EXPECT_EQ(log, (Log{"busy+", "total 1", "title t", "show a.xxx", ErrorBox(IDS_NO_SPACE), "busy-", "close"}));
}

TEST_F(WorkerTest, EmptyPasswordNeverPromptsWhateverFollowsItsNul)
{
    Run(Installer(Header(1, 1, "none", "t", std::string("\0secret", 7)),
                  Piece(ENTRY_CREATE | ENTRY_LAST, "a", "x")));

    EXPECT_EQ(log.at(3), "show a");
}

struct PasswordCase {
    const char* what;
    int result;  // the prompt's result: 1 is OK
    const char* typed;
    bool accepted;
};

// Known by its description in failure messages and in the test names.
static void PrintTo(const PasswordCase& password, std::ostream* out)
{
    *out << password.what;
}

class PasswordTest : public WorkerTest, public ::testing::WithParamInterface<PasswordCase> {};

TEST_P(PasswordTest, ComparesWithAsciiCaseFolding)
{
    window.password_result = GetParam().result;
    window.password_text = GetParam().typed;
    Run(Installer(Header(1, 1, "none", "t", "Heslo\xC8"), Piece(ENTRY_CREATE | ENTRY_LAST, "a", "x")));

    Log expected{"busy+", "total 1", "title t", "password"};
    if (GetParam().accepted)
        expected.insert(expected.end(), {"show a", "busy-", "hide", ErrorBox(IDS_ERROR), "close"});
    else
        expected.insert(expected.end(), {ErrorBox(IDS_BAD_PASSWORD), "busy-", "close"});
    EXPECT_EQ(log, expected);
}

INSTANTIATE_TEST_SUITE_P(Worker, PasswordTest,
                         ::testing::Values(PasswordCase{"AsStored", 1, "Heslo\xC8", true},
                                           PasswordCase{"OtherAsciiCase", 1, "hESLO\xC8", true},
                                           PasswordCase{"OtherCaseOfANonAsciiLetter", 1, "Heslo\xE8", false},
                                           PasswordCase{"Prefix", 1, "Heslo", false},
                                           PasswordCase{"Empty", 1, "", false},
                                           PasswordCase{"Cancelled", 2, "Heslo\xC8", false}));

// The setup program is the first part of the field, up to a blank or the
// whole of it, that is a file in the extraction directory: "my setup" is
// one program, "setup /S x" a program and its arguments.
struct SetupFieldCase {
    const char* field;
    const char* program;
    std::vector<std::string> arguments;
};

static void PrintTo(const SetupFieldCase& setup, std::ostream* out)
{
    *out << '"' << setup.field << '"';
}

class SetupFieldTest : public WorkerTest, public ::testing::WithParamInterface<SetupFieldCase> {};

TEST_P(SetupFieldTest, ProgramIsTakenFromTheFieldInsideTheExtractionDirectory)
{
    Run(Installer(Header(1, 1, GetParam().field, "t"), SetupPiece(ENTRY_CREATE | ENTRY_LAST, GetParam().program)));

    std::vector<std::string> expected{"arg " + extract_dir + GetParam().program};
    for (const std::string& argument : GetParam().arguments)
        expected.push_back("arg " + argument);
    auto record = RecordLines(Record());
    record.resize(std::min(record.size(), expected.size()));
    EXPECT_EQ(record, expected);
}

INSTANTIATE_TEST_SUITE_P(Worker, SetupFieldTest,
                         ::testing::Values(SetupFieldCase{"setup /S x", "setup", {"/S", "x"}},
                                           SetupFieldCase{"my setup", "my setup", {}},
                                           SetupFieldCase{"my setup -q", "my setup", {"-q"}}));

// A setup program that only runs as administrator is started again through
// the elevation prompt; a declined prompt is a program that cannot start.
struct ElevationCase {
    int declined;
    Log log;
    bool ran;
};

static void PrintTo(const ElevationCase& elevation, std::ostream* out)
{
    *out << (elevation.declined ? "declined" : "accepted");
}

class ElevationTest : public WorkerTest, public ::testing::WithParamInterface<ElevationCase> {};

TEST_P(ElevationTest, StartsThroughThePromptOrReportsTheRefusal)
{
    g_elevation = {1, GetParam().declined, 0};
    Run(Installer(Header(1, 1, "setup", "t"), SetupPiece(ENTRY_CREATE | ENTRY_LAST, "setup")));
    ElevationHook seen = g_elevation;
    g_elevation = {};

    EXPECT_EQ(log, GetParam().log);
    EXPECT_EQ(seen.elevated_starts, GetParam().ran ? 1 : 0);
    EXPECT_EQ(RecordLines(Record()).empty(), !GetParam().ran);
}

INSTANTIATE_TEST_SUITE_P(
    Worker, ElevationTest,
    ::testing::Values(
        ElevationCase{0, {"busy+", "total 1", "title t", "show setup", "busy-", "hide", "close"}, true},
        ElevationCase{1, {"busy+", "total 1", "title t", "show setup", "busy-", "hide", ErrorBox(IDS_ERROR), "close"},
                      false}));
