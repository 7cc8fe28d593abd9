// The worker's one way out: which failure shows which message, and that
// nothing is written where it does not belong.
#include <gtest/gtest.h>

#include <errno.h>
#include <signal.h>
#include <string.h>
#include <sys/resource.h>

#include <zlib.h>

#include <algorithm>
#include <filesystem>

#include "extract/worker.h"
#include "extract/commands.h"
#include "archive/path.h"
#include "tests/support/archive_writer.h"
#include "tests/support/entry_names.h"
#include "tests/worker/failure_cases.h"
#include "tests/worker/worker_fixture.h"

namespace fs = std::filesystem;
using Log = std::vector<std::string>;

// The outcome the worker recorded: the reason, and where it stopped.
static void ExpectStop(const StopPlace& stop)
{
    EXPECT_EQ(g_outcome.reason, stop.reason);
    EXPECT_EQ(g_outcome.place.piece, stop.piece);
    EXPECT_EQ(g_outcome.place.offset, stop.offset);
    EXPECT_EQ(g_outcome.place.volume, stop.volume);
}

class FailureTest : public WorkerTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureTest, ShowsItsMessageAndCloses)
{
    Run(GetParam().installer);

    Log expected{"busy+"};
    expected.insert(expected.end(), GetParam().before_box.begin(), GetParam().before_box.end());
    expected.insert(expected.end(), {ErrorBox(GetParam().message), "busy-", "close"});
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(window.closed);
    EXPECT_FALSE(window.hidden);
    ExpectStop(GetParam().stop);
    // The table's one refused write is to a file opened for reading.
    EXPECT_EQ(g_outcome.error, GetParam().stop.reason == STOP_WRITE ? (uint32_t)EBADF : 0u);
}

INSTANTIATE_TEST_SUITE_P(Worker, FailureTest, ::testing::ValuesIn(kFailures));

// Names that would put a file outside the extraction directory: refused
// before anything of the piece is written, even its directory.
class HostileNameTest : public WorkerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(HostileNameTest, IsRefusedBeforeAnythingIsWritten)
{
    Run(HostileInstaller(GetParam()));

    EXPECT_EQ(log, (Log{"busy+", "total 2", "title t", "show inside\\ok", ErrorBox(IDS_ERROR), "busy-", "close"}));
    ExpectStop({STOP_NAME, 2, 58 + 152 + 56 + 1, 0});
    for (const auto& entry : fs::recursive_directory_iterator(root_))
        EXPECT_EQ(entry.path().filename().string().find("evil"), std::string::npos) << entry.path();
    EXPECT_FALSE(fs::exists("/evil"));
    EXPECT_FALSE(fs::exists("/evil_dir"));
}

INSTANTIATE_TEST_SUITE_P(Worker, HostileNameTest, ::testing::ValuesIn(kHostileNames));

TEST_F(WorkerTest, NamesWithDotsThatDoNotClimbAreWritten)
{
    Run(Installer(Header(4, 1, "none", "t"),
                  Piece(1, "x..y", "1") + Piece(1, ".hidden", "2") + Piece(1, "b. c", "3") +
                      Piece(9, "a.b..c", "4")));

    EXPECT_EQ(extracted["x..y"], "1");
    EXPECT_EQ(extracted[".hidden"], "2");
    EXPECT_EQ(extracted["b. c"], "3");
    EXPECT_EQ(extracted["a.b..c"], "4");
}

// The name rule's table as the worker applies it: a safe name is written
// (a block file decoded), any other stops the run before the piece touches
// anything; as the setup program field, a refused name stops the run once
// the header is read.
class NameRuleTest : public WorkerTest, public ::testing::WithParamInterface<EntryNameCase> {};

TEST_P(NameRuleTest, WritesOnlySafeNames)
{
    std::string name = GetParam().name;
    bool block = name.size() > 4 && EqualNoCase(name.substr(name.size() - 4).c_str(), ".xxx");
    Run(Installer(Header(1, 1, "none", "t"), Piece(9, name, block ? StoredBlocks({"x"}) : "x")));

    if (GetParam().fault == NAME_SAFE) {
        std::string plain = block ? name.substr(0, name.size() - 4) : name;
        std::replace(plain.begin(), plain.end(), '\\', '/');
        EXPECT_EQ(log, (Log{"busy+", "total 1", "title t", "show " + name, "busy-", "hide", ErrorBox(IDS_ERROR),
                            "close"}));
        EXPECT_EQ(extracted[plain], "x");
    } else {
        EXPECT_EQ(log, (Log{"busy+", "total 1", "title t", ErrorBox(IDS_ERROR), "busy-", "close"}));
        EXPECT_EQ(extracted.size(), 0u);
        ExpectStop({STOP_NAME, 1, 58 + 152, 0});
    }
}

INSTANTIATE_TEST_SUITE_P(Worker, NameRuleTest, ::testing::ValuesIn(kEntryNames));

// Only the field's part before a blank is checked before the pieces; the
// refused names without one are that part.
static std::vector<EntryNameCase> RefusedWithoutBlanks()
{
    std::vector<EntryNameCase> names;
    for (const EntryNameCase& c : kEntryNames)
        if (c.fault != NAME_SAFE && !strpbrk(c.name, " \t"))
            names.push_back(c);
    return names;
}

class SetupNameRuleTest : public NameRuleTest {};

TEST_P(SetupNameRuleTest, RefusedSetupProgramStopsBeforeAnyPiece)
{
    Run(Installer(Header(1, 1, GetParam().name, "t"), Piece(9, "a", "x")));

    // Nor does a header that is refused name the window.
    EXPECT_EQ(log, (Log{"busy+", "total 1", ErrorBox(IDS_ERROR), "busy-", "close"}));
    EXPECT_EQ(extracted.size(), 0u);
    ExpectStop({STOP_SETUP_FIELD, 0, 0, 0});
}

INSTANTIATE_TEST_SUITE_P(Worker, SetupNameRuleTest, ::testing::ValuesIn(RefusedWithoutBlanks()));

TEST_F(WorkerTest, MissingArchiveFileStops)
{
    RunWorker();

    EXPECT_EQ(log, (Log{"busy+", ErrorBox(IDS_ERROR), "busy-", "close"}));
    ExpectStop({STOP_NO_ARCHIVE, 0, 0, 0});
}

TEST_F(WorkerTest, NoTemporaryDirectoryStopsBeforeTheArchiveIsRead)
{
    setenv("TMPDIR", (temp_ + "/missing").c_str(), 1);
    Run(Installer(Header(1, 1, "s", "t"), Piece(9, "a", "x")));

    EXPECT_EQ(log, (Log{"busy+", ErrorBox(IDS_ERROR), "busy-", "close"}));
    ExpectStop({STOP_NO_DIRECTORY, 0, 0, 0});
}

TEST_F(WorkerTest, ExtractionDirectoryThatExistsIsNeitherUsedNorRemoved)
{
    // Every name the reserve file can get already has its directory: on a
    // file system in memory, to be quick about it.
    if (!fs::is_directory("/dev/shm"))
        GTEST_SKIP() << "no /dev/shm";
    TempDir shm("/dev/shm");
    temp_ = shm.path().string();
    setenv("TMPDIR", temp_.c_str(), 1);
    for (unsigned number = 1; number <= 0xFFFF; number++) {
        char name[16];
        snprintf(name, sizeof name, "/~kw%x", number);
        fs::create_directory(temp_ + name);
    }
    WriteFile(temp_ + "/~kw1/planted", "keep");
    expect_temp_empty = false;
    Run(Installer(Header(1, 1, "s", "t"), Piece(9, "a", "x")));

    EXPECT_EQ(log, (Log{"busy+", ErrorBox(IDS_ERROR), "busy-", "close"}));
    EXPECT_EQ(ReadFile(temp_ + "/~kw1/planted"), "keep");
    for (const auto& entry : fs::directory_iterator(temp_))
        EXPECT_TRUE(entry.is_directory()) << "reserve file left: " << entry.path();
}

// The extraction directory is the temporary directory, "/~kw", one to four
// hex digits and a separator: 6 to 9 characters more.
TEST_F(WorkerTest, TargetPathThatJustFitsIsWritten)
{
    LengthenTemp(259 - 9 - 47);
    std::string name(47, 'n');
    Run(Installer(Header(1, 1, "s", "t"), Piece(9, name, "x")));

    EXPECT_EQ(extracted[name], "x");
}

TEST_F(WorkerTest, TargetPathOverTheLimitStops)
{
    LengthenTemp(259 - 6 - 47 + 1);
    Run(Installer(Header(1, 1, "s", "t"), Piece(9, std::string(47, 'n'), "x")));

    EXPECT_EQ(log, (Log{"busy+", "total 1", "title t", ErrorBox(IDS_ERROR), "busy-", "close"}));
    ExpectStop({STOP_PATH_TOO_LONG, 1, 58 + 152, 0});
}

TEST_F(WorkerTest, CommandLineOverTheLimitStopsBeforeTheLaunch)
{
    LengthenTemp(259 - 6 - 47 + 1);
    Run(Installer(Header(1, 1, std::string(47, 's'), "t"), Piece(9, "a", "x")));

    EXPECT_EQ(log, (Log{"busy+", "total 1", "title t", "show a", ErrorBox(IDS_ERROR), "busy-", "close"}));
    ExpectStop({STOP_COMMAND_LINE, 1, 58 + 152, 0});
}

TEST_F(WorkerTest, SetupProgramThatCannotStartIsReportedAfterHiding)
{
    Run(Installer(Header(1, 1, "missing", "t"), Piece(9, "a", "x")));

    EXPECT_EQ(log, (Log{"busy+", "total 1", "title t", "show a", "busy-", "hide", ErrorBox(IDS_ERROR), "close"}));
    EXPECT_TRUE(window.closed);
}

// A block file of count zlib blocks of 320000 bytes each, which takes a
// while to decode.
static std::string LongBlockFile(int count)
{
    std::string plain(BLOCK_PLAIN_MAX, 'z'), block;
    uLongf size = compressBound(plain.size());
    std::string stream(size, 0);
    EXPECT_EQ(compress2((Bytef*)&stream[0], &size, (const Bytef*)plain.data(), plain.size(), 6), Z_OK);
    stream.resize(size);
    for (int i = 0; i < count; i++)
        block += Block(BLOCK_MARKER, METHOD_ZLIB, (int32_t)size, stream);
    return block;
}

// A write the system refuses: the outcome keeps the system's error, which
// tells a full disk from the archive's fault. As the piece is shown, files
// may grow to 4096 bytes only: its data, or its decoded block file, is
// more. The parameter says which is refused: STOP_WRITE or STOP_DECODE_LAST.
class RefusedWriteTest : public WorkerTest, public ::testing::WithParamInterface<int> {};

TEST_P(RefusedWriteTest, KeepsTheSystemsError)
{
    std::string piece = GetParam() == STOP_WRITE ? Piece(9, "a", std::string(8192, 'x'))
                                                 : Piece(9, "a.xxx", LongBlockFile(1));
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
    window.on_show_file = [saved](const char*) {
        struct rlimit small = {4096, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &small);
    };
    Run(Installer(Header(1, 1, "s", "t"), piece));
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);

    ExpectStop({GetParam(), 1, 58 + 152, 0});
    EXPECT_EQ(g_outcome.error, (uint32_t)EFBIG);
    EXPECT_EQ(log, (Log{"busy+", "total 1", "title t",
                        "show " + std::string(GetParam() == STOP_WRITE ? "a" : "a.xxx"),
                        ErrorBox(IDS_NO_SPACE), "busy-", "close"}));
}

INSTANTIATE_TEST_SUITE_P(Worker, RefusedWriteTest, ::testing::Values(STOP_WRITE, STOP_DECODE_LAST));

// The end of the session while the worker is at work, with the notice's
// wparam 0 (the logoff was called off) and 1: the window removes the
// extraction, and the worker writes nothing more anywhere, starts nothing
// and ends with IDS_ERROR. The fixture then finds the temporary directory
// empty; the installer's folder holds only what the test put there.
struct EndSessionCase {
    EndSession moment;
    int wparam;
};

class EndSessionTest : public WorkerTest, public ::testing::WithParamInterface<EndSessionCase> {};

TEST_P(EndSessionTest, WritesNothingMoreAndStartsNothing)
{
    window.end_session = GetParam().moment;
    window.end_session_wparam = GetParam().wparam;
    std::string end = "end session " + std::to_string(GetParam().wparam);
    std::string setup = SetupPiece(ENTRY_CREATE | ENTRY_LAST, "setup");
    switch (GetParam().moment) {
    case END_SESSION_AT_SHOW:
        Run(Installer(Header(3, 1, "setup", "t"),
                      Piece(ENTRY_CREATE, "a", std::string(100000, 'a')) + Piece(ENTRY_CREATE, "b", "b") + setup));
        // Where the worker stands when the notice comes depends on timing;
        // how it ends does not.
        ASSERT_GE(log.size(), 4u);
        EXPECT_EQ(std::count(log.begin(), log.end(), end), 1);
        EXPECT_EQ(Log(log.end() - 3, log.end()), (Log{ErrorBox(IDS_ERROR), "busy-", "close"}));
        break;
    case END_SESSION_AT_PASSWORD:
        window.password_result = 1;
        window.password_text = "pw";
        Run(Installer(Header(1, 1, "setup", "t", "pw"), setup));
        EXPECT_EQ(log, (Log{"busy+", "total 1", "title t", "password", end, ErrorBox(IDS_ERROR), "busy-", "close"}));
        break;
    case END_SESSION_AT_DECODE:
        // The last piece is the block file: once its decode stops, the
        // setup program would be next.
        Run(Installer(Header(2, 1, "setup", "t"),
                      SetupPiece(ENTRY_CREATE, "setup") +
                          Piece(ENTRY_CREATE | ENTRY_LAST, "big.xxx", LongBlockFile(300))));
        EXPECT_EQ(log, (Log{"busy+", "total 2", "title t", "show setup", "show big.xxx", end,
                            ErrorBox(IDS_ERROR), "busy-", "close"}));
        EXPECT_EQ(g_outcome.reason, STOP_TAKEN_OVER);
        break;
    case END_SESSION_AT_HIDE:
        Run(Installer(Header(1, 1, "setup", "t"), setup));
        EXPECT_EQ(log, (Log{"busy+", "total 1", "title t", "show setup", "busy-", "hide", end,
                            ErrorBox(IDS_ERROR), "close"}));
        EXPECT_FALSE(fs::exists(Record())) << "the setup program ran";
        return;
    default:
        window.answer_box = [this, setup](const WindowEvent& box) {
            if (box.number == BOX_QUESTION)
                WriteFile(Volume(1), setup);
            return ANSWER_YES;
        };
        Run(Installer(Header(2, 1, "setup", "t"), Piece(ENTRY_CREATE, "a", "x")));
        EXPECT_EQ(log, (Log{"busy+", "total 2", "title t", "show a", "question", end, ErrorBox(IDS_ERROR), "busy-",
                            "close"}));
    }
    EXPECT_FALSE(window.hidden);
    EXPECT_FALSE(fs::exists(Record())) << "the setup program ran";
    for (const auto& entry : fs::directory_iterator(out_))
        EXPECT_TRUE(entry.path() == Archive() || entry.path() == Volume(1)) << "written: " << entry.path();
}

static void PrintTo(const EndSessionCase& c, std::ostream* out)
{
    static const char* const moments[] = {"never",
                                          "while writing",
                                          "at the password prompt",
                                          "at the volume question",
                                          "while the last block file is decoded",
                                          "between the last decode and the start",
                                          "as the start is under way"};
    *out << moments[c.moment] << ", wparam " << c.wparam;
}

INSTANTIATE_TEST_SUITE_P(
    Worker, EndSessionTest,
    ::testing::Values(EndSessionCase{END_SESSION_AT_SHOW, 0}, EndSessionCase{END_SESSION_AT_SHOW, 1},
                      EndSessionCase{END_SESSION_AT_PASSWORD, 0}, EndSessionCase{END_SESSION_AT_PASSWORD, 1},
                      EndSessionCase{END_SESSION_AT_QUESTION, 0}, EndSessionCase{END_SESSION_AT_QUESTION, 1},
                      EndSessionCase{END_SESSION_AT_DECODE, 0}, EndSessionCase{END_SESSION_AT_DECODE, 1},
                      EndSessionCase{END_SESSION_AT_HIDE, 0}, EndSessionCase{END_SESSION_AT_HIDE, 1}));

// The start of the setup program is one step with the decision to start it:
// a notice that comes as the start is under way is handled once the program
// runs, never in between, which would start it from a directory being
// removed.
class EndSessionAtStartTest : public WorkerTest, public ::testing::WithParamInterface<int> {};

TEST_P(EndSessionAtStartTest, TakesOverOnlyOnceTheProgramRuns)
{
    window.end_session = END_SESSION_AT_START;
    window.end_session_wparam = GetParam();
    Run(Installer(Header(1, 1, "setup", "t"), SetupPiece(ENTRY_CREATE | ENTRY_LAST, "setup")));

    EXPECT_FALSE(window.removed_before_start) << "the window took over between the decision and the start";
    EXPECT_EQ(log, (Log{"busy+", "total 1", "title t", "show setup", "busy-", "hide",
                        "end session " + std::to_string(GetParam()), "close"}));
    EXPECT_TRUE(fs::exists(Record()));
}

INSTANTIATE_TEST_SUITE_P(Worker, EndSessionAtStartTest, ::testing::Values(0, 1));
