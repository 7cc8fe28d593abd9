#include "tools/rozbal/install_model.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

EntryRecord Record(uint32_t flags, const char* name, uint32_t size = 1)
{
    EntryRecord record{};
    record.flags = flags;
    record.size = size;
    std::strncpy(record.name, name, sizeof record.name - 1);
    return record;
}

struct Step {
    uint32_t flags;
    const char* name;
    uint32_t size;
};

// Runs the steps; returns the first refusal (with its step number) or "".
std::string Replay(const std::vector<Step>& steps, std::string* completed = nullptr)
{
    InstallModel model;
    for (size_t i = 0; i < steps.size(); i++) {
        ModelStep step = model.Accept(Record(steps[i].flags, steps[i].name, steps[i].size));
        if (completed && !step.completed_block.empty())
            *completed += step.completed_block + "@" + std::to_string(i) + " ";
        if (!step.refusal.empty())
            return std::to_string(i) + ": " + step.refusal;
    }
    return "";
}

TEST(InstallModel, WhatTheInstallerAccepts)
{
    struct Case {
        std::vector<Step> steps;
        const char* refusal;  // "step: part of the reason", or "" when all are accepted
    } cases[] = {
        {{{9, "a", 1}}, ""},
        {{{1, "a\\b", 1}}, ""},  // one level is created below the extraction directory
        {{{1, "a\\b\\c", 1}}, "0: directory 'a\\b' cannot be made"},
        {{{1, "a\\x", 1}, {1, "a\\b\\c", 1}}, ""},
        {{{1, "a\\b\\x", 1}, {1, "a", 1}}, "0: directory"},
        {{{1, "a", 1}, {1, "a\\b", 1}}, "1: directory 'a' is a file"},
        {{{1, "a\\b", 1}, {1, "A\\c", 1}}, ""},  // Windows names ignore case
        {{{1, "a\\b", 1}, {1, "a", 1}}, "1: the name is a directory"},
        {{{2, "a", 1}}, "0: the piece continues a file that does not exist"},
        {{{1, "a", 1}, {2, "a", 5}, {3, "a", 5}}, ""},
        {{{1, "a", 1}, {1, "b", 1}, {2, "a", 5}}, ""},  // the installer appends to any existing file
        {{{0, "a", 0}}, "0: a piece neither creating nor continuing a file names a file that does not exist"},
        {{{1, "a", 0}, {0, "a", 0}}, ""},
        {{{1, "a", 0}, {0, "a", 1}}, "1: a piece neither creating nor continuing a file carries data"},
        {{{1, "..\\evil", 1}}, "0: the name is refused: it has a '..' component, or one that begins with two dots"},
        {{{1, "c:\\evil", 1}}, "0: the name is refused: it contains ':'"},
        {{{1, "\\evil", 1}}, "0: the name is refused: it is rooted"},
        {{{1, "\\\\host\\share\\x", 1}}, "0: the name is refused: it is rooted"},
        {{{1, "Readme", 1}, {1, "README", 1}}, "1: the name differs from the previous piece's 'Readme' only in letter case"},
        {{{1, "x.xxx", 1}, {2, "x.xxx", 1}, {1, "y", 1}}, ""},
        {{{1, "x.xxx", 1}, {1, "y", 1}, {2, "x.xxx", 1}}, "2: the piece continues a file that does not exist"},
        {{{1, "d\\x.xxx", 1}, {1, "d\\x\\y", 1}}, "1: block file 'd\\x.xxx' would decode into 'd\\x', a directory"},
    };
    for (const Case& c : cases) {
        std::string refusal = Replay(c.steps);
        if (c.refusal[0] == 0)
            EXPECT_EQ(refusal, "") << c.steps[0].name;
        else
            EXPECT_EQ(refusal.compare(0, std::strlen(c.refusal), c.refusal), 0)
                << c.steps[0].name << " gave: " << refusal;
    }
}

TEST(InstallModel, BlockFilesCompleteWhenTheNextFileBegins)
{
    std::string completed;
    EXPECT_EQ(Replay({{1, "a.xxx", 9}, {2, "a.xxx", 9}, {1, "b.XXX", 9}, {1, "c", 9}, {1, "d.xxx", 9}}, &completed),
              "");
    EXPECT_EQ(completed, "a.xxx@2 b.XXX@3 ");
}

TEST(InstallModel, FinishChecksCountAndSetupProgram)
{
    struct Case {
        std::vector<Step> steps;
        uint32_t file_count;
        const char* setup;
        const char* refusal;
    } cases[] = {
        {{{1, "setup.exe", 1}, {9, "x", 1}}, 2, "setup.exe", ""},
        {{{1, "setup.exe", 1}, {2, "setup.exe", 1}, {9, "x", 1}}, 2, "setup.exe", ""},
        {{{1, "setup.exe", 1}, {9, "x", 1}}, 3, "setup.exe", "the header counts 3 files, the archive holds 2"},
        {{{1, "d\\setup.exe.xxx", 1}, {9, "x", 1}}, 2, "d\\setup.exe.xxx", ""},
        {{{9, "d\\Setup.exe.xxx", 1}}, 1, "D\\SETUP.EXE.xxx", ""},
        {{{9, "setup.exe", 1}}, 1, "setup.exe /S", ""},
        {{{9, "setup.exe", 1}}, 1, "install.exe", "the setup program 'install.exe' is not among"},
        {{{9, "setup.exe.xxx", 1}}, 1, "setup.exe.xxx.xxx", "the setup program 'setup.exe.xxx' is not among"},
        {{{9, "setup.exe", 1}}, 1, "", "the header names no setup program"},
    };
    for (const Case& c : cases) {
        InstallModel model;
        for (const Step& s : c.steps)
            ASSERT_EQ(model.Accept(Record(s.flags, s.name, s.size)).refusal, "");
        ArchiveHeader header{};
        header.file_count = c.file_count;
        std::strcpy(header.setup_program, c.setup);
        std::string refusal = model.Finish(header).refusal;
        if (c.refusal[0] == 0)
            EXPECT_EQ(refusal, "") << c.setup;
        else
            EXPECT_NE(refusal.find(c.refusal), std::string::npos) << c.setup << " gave: " << refusal;
    }
}

}  // namespace
