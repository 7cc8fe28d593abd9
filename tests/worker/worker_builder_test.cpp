// Installers written by the builder, as users make them, run by the worker.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "extract/worker.h"
#include "extract/commands.h"
#include "tests/support/archive_writer.h"
#include "tests/worker/worker_fixture.h"

namespace fs = std::filesystem;
using Log = std::vector<std::string>;

class BuilderTest : public WorkerTest {
protected:
    void SetUp() override
    {
        WorkerTest::SetUp();
        tree_ = root_ + "/tree";
        fs::create_directories(tree_ + "/sub");
        WriteFile(tree_ + "/readme.txt", "read me");
        WriteFile(tree_ + "/sub/data.bin", std::string(20000, 'd') + "end");
        fs::copy_file(RECORD_SETUP_PATH, tree_ + "/setup.cmd");
        WriteFile(out_ + "/stub", WindowsProgram(1000));
    }

    // Packs the tree into the archive file with options; false when the
    // builder failed.
    bool Pack(const std::string& options)
    {
        std::string command = std::string(ROZBAL_TOOL) + " pack --quiet --stub " + out_ +
                              "/stub --setup setup.cmd " + options + " " + tree_ + " -o " + Archive();
        return std::system(command.c_str()) == 0;
    }

    void ExpectTreeExtracted()
    {
        EXPECT_EQ(extracted["readme.txt"], "read me");
        EXPECT_EQ(extracted["sub/data.bin"], ReadFile(tree_ + "/sub/data.bin"));
        EXPECT_EQ(extracted["setup.cmd"], ReadFile(RECORD_SETUP_PATH));
        auto record = ReadFile(Record());
        EXPECT_EQ(record.substr(0, record.find('\n')), "arg " + extract_dir + "setup.cmd");
    }

    std::string tree_;
};

TEST_F(BuilderTest, CompressedSetupProgramBehindAPassword)
{
    ASSERT_TRUE(Pack("--title Hra --password Tajne --compress setup.cmd --compress '*.bin'"));
    MarkExecutable("setup.cmd.xxx", "setup.cmd");
    window.password_result = 1;
    window.password_text = "tAJNE";
    RunWorker();

    EXPECT_EQ(log.front(), "busy+");
    EXPECT_EQ(log.at(1), "total 3");
    EXPECT_EQ(log.at(2), "title Hra");
    EXPECT_EQ(log.at(3), "password");
    EXPECT_EQ(std::count(log.begin(), log.end(), "show setup.cmd.xxx"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "show sub\\data.bin.xxx"), 1);
    EXPECT_EQ(Log(log.end() - 3, log.end()), (Log{"busy-", "hide", "close"}));
    EXPECT_EQ(window.bar_position, 3);
    ExpectTreeExtracted();
    EXPECT_EQ(extracted.count("setup.cmd.xxx"), 0u);
}

TEST_F(BuilderTest, VolumesFoundBesideTheInstaller)
{
    ASSERT_TRUE(Pack("--stay --volume-size 8K"));
    ASSERT_TRUE(fs::exists(Volume(1)));
    MarkExecutable("setup.cmd", "setup.cmd");
    RunWorker();

    EXPECT_EQ(std::count(log.begin(), log.end(), "question"), 0);
    EXPECT_EQ(Log(log.end() - 2, log.end()), (Log{"busy-", "hide"}));
    EXPECT_EQ(window.bar_position, 3);
    ExpectTreeExtracted();
}
