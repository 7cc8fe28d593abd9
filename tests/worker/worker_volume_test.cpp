// The worker moving on to volume files: found, asked for, missing, short.
#include <gtest/gtest.h>

#include <string.h>

#include <filesystem>

#include "extract/worker.h"
#include "resources/texts.h"
#include "extract/commands.h"
#include "tests/support/archive_writer.h"
#include "tests/worker/worker_fixture.h"

using Log = std::vector<std::string>;

// The volume question for path, with the text's "%s" replaced.
static std::string Question(const std::string& path)
{
    std::string text = TEXT_NEXT_VOLUME;
    return text.replace(text.find("%s"), 2, path);
}

TEST_F(WorkerTest, FileSplitOverTheInstallerAndAVolume)
{
    WriteFile(Volume(1), Piece(ENTRY_APPEND, "big", " and the rest") + SetupPiece(ENTRY_CREATE | ENTRY_LAST, "setup"));
    Run(Installer(Header(2, 1, "setup", "t"), Piece(ENTRY_CREATE, "big", "the start")));

    EXPECT_EQ(log, (Log{"busy+", "total 2", "title t", "show big", "show big", "show setup", "busy-", "hide",
                        "close"}));
    EXPECT_EQ(window.bar_position, 2);
    EXPECT_EQ(extracted["big"], "the start and the rest");
    EXPECT_FALSE(ReadFile(Record()).empty());
}

TEST_F(WorkerTest, MissingVolumeIsAskedForUntilItIsThere)
{
    std::string volume = Piece(ENTRY_CREATE | ENTRY_LAST, "b", "in the volume");
    int asked = 0;
    window.answer_box = [&](const WindowEvent& box) -> int {
        if (box.number != BOX_QUESTION)
            return 0;
        EXPECT_EQ(box.text, Question(Volume(1)));
        if (++asked == 2)  // the first Yes comes before the file is there
            WriteFile(Volume(1), volume);
        return ANSWER_YES;
    };
    Run(Installer(Header(2, 1, "none", "t"), Piece(ENTRY_CREATE, "a", "x")));

    EXPECT_EQ(log, (Log{"busy+", "total 2", "title t", "show a", "question", "question", "show b", "busy-", "hide",
                        ErrorBox(IDS_ERROR), "close"}));
    EXPECT_EQ(extracted["b"], "in the volume");
}

TEST_F(WorkerTest, MissingVolumeAnsweredNoStops)
{
    Run(Installer(Header(2, 1, "none", "t"), Piece(ENTRY_CREATE, "a", "x")));

    EXPECT_EQ(log, (Log{"busy+", "total 2", "title t", "show a", "question", ErrorBox(IDS_ERROR), "busy-",
                        "close"}));
}

TEST_F(WorkerTest, VolumeQuestionHoldsALongPathWhole)
{
    std::string directory = out_ + "/" + std::string(259 - out_.size() - 2 - strlen("setup.exe"), 'v');
    std::filesystem::create_directory(directory);
    std::string archive = directory + "/setup.exe";
    ASSERT_EQ(archive.size(), 259u);
    WriteFile(archive, Installer(Header(2, 1, "none", "t"), Piece(ENTRY_CREATE, "a", "x")));
    strcpy(g_archive_path, archive.c_str());
    std::string question;
    window.answer_box = [&](const WindowEvent& box) -> int {
        if (box.number == BOX_QUESTION)
            question = box.text;
        return 7;
    };
    RunWorker();

    EXPECT_EQ(question, Question(directory + "/setup.e01"));
}

class ShortVolumeTest : public WorkerTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(ShortVolumeTest, StopsWithoutTryingTheNextVolume)
{
    WriteFile(Volume(1), std::string(GetParam(), 'r'));
    WriteFile(Volume(2), Piece(ENTRY_CREATE | ENTRY_LAST, "b", "never read"));
    Run(Installer(Header(2, 1, "none", "t"), Piece(ENTRY_CREATE, "a", "x")));

    EXPECT_EQ(log, (Log{"busy+", "total 2", "title t", "show a", ErrorBox(IDS_ERROR), "busy-", "close"}));
}

INSTANTIATE_TEST_SUITE_P(Worker, ShortVolumeTest, ::testing::Values(0, 55));
