// The worker's one way out: which failure shows which message, and that
// nothing is written where it does not belong.
#include <gtest/gtest.h>

#include <filesystem>

#include "extract/worker.h"
#include "extract/commands.h"
#include "tests/support/archive_writer.h"
#include "tests/worker/failure_cases.h"
#include "tests/worker/worker_fixture.h"

namespace fs = std::filesystem;
using Log = std::vector<std::string>;

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
}

INSTANTIATE_TEST_SUITE_P(Worker, FailureTest, ::testing::ValuesIn(kFailures));

// Names that would put a file outside the extraction directory: refused
// before anything of the piece is written, even its directory.
class HostileNameTest : public WorkerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(HostileNameTest, IsRefusedBeforeAnythingIsWritten)
{
    Run(HostileInstaller(GetParam()));

    EXPECT_EQ(log, (Log{"busy+", "total 2", "title t", "show inside\\ok", ErrorBox(IDS_ERROR), "busy-", "close"}));
    for (const auto& entry : fs::recursive_directory_iterator(root_))
        EXPECT_EQ(entry.path().filename().string().find("evil"), std::string::npos) << entry.path();
    EXPECT_FALSE(fs::exists("/evil"));
    EXPECT_FALSE(fs::exists("/evil_dir"));
}

INSTANTIATE_TEST_SUITE_P(Worker, HostileNameTest, ::testing::ValuesIn(kHostileNames));

TEST_F(WorkerTest, NamesWithDotsThatDoNotClimbAreWritten)
{
    Run(Installer(Header(3, 1, "none", "t"),
                  Piece(1, "..a", "1") + Piece(1, "a..", "2") + Piece(1, ".\\b. c", "3") +
                      Piece(9, "x..y", "4")));

    EXPECT_EQ(extracted["..a"], "1");
    EXPECT_EQ(extracted["a.."], "2");
    EXPECT_EQ(extracted["b. c"], "3");
    EXPECT_EQ(extracted["x..y"], "4");
}

TEST_F(WorkerTest, MissingArchiveFileStops)
{
    RunWorker();

    EXPECT_EQ(log, (Log{"busy+", ErrorBox(IDS_ERROR), "busy-", "close"}));
}

TEST_F(WorkerTest, NoTemporaryDirectoryStopsBeforeTheArchiveIsRead)
{
    setenv("TMPDIR", (temp_ + "/missing").c_str(), 1);
    Run(Installer(Header(1, 1, "s", "t"), Piece(9, "a", "x")));

    EXPECT_EQ(log, (Log{"busy+", ErrorBox(IDS_ERROR), "busy-", "close"}));
}

TEST_F(WorkerTest, ExtractionDirectoryThatExistsIsNeitherUsedNorRemoved)
{
    // Every name the reserve file can get already has its directory: on a
    // file system in memory, to be quick about it.
    char shm[] = "/dev/shm/rozbal-worker-XXXXXX";
    if (!mkdtemp(shm))
        GTEST_SKIP() << "no /dev/shm";
    temp_ = shm;
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
    fs::remove_all(temp_);
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
}

TEST_F(WorkerTest, CommandLineOverTheLimitStopsBeforeTheLaunch)
{
    LengthenTemp(259 - 6 - 47 + 1);
    Run(Installer(Header(1, 1, std::string(47, 's'), "t"), Piece(9, "a", "x")));

    EXPECT_EQ(log, (Log{"busy+", "total 1", "title t", "show a", ErrorBox(IDS_ERROR), "busy-", "close"}));
}

TEST_F(WorkerTest, SetupProgramThatCannotStartIsReportedAfterHiding)
{
    Run(Installer(Header(1, 1, "missing", "t"), Piece(9, "a", "x")));

    EXPECT_EQ(log, (Log{"busy+", "total 1", "title t", "show a", "busy-", "hide", ErrorBox(IDS_ERROR), "close"}));
    EXPECT_TRUE(window.closed);
}
