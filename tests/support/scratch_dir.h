// A fresh directory per test; the current directory, which the code under
// test moves, is put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

class ScratchDir : public ::testing::Test {
protected:
    void SetUp() override { saved_cwd_ = std::filesystem::current_path(); }
    void TearDown() override { std::filesystem::current_path(saved_cwd_); }

    // A path below the scratch directory in the installer's form, and natively.
    std::string Windows(const std::string& relative) const { return dir_ + "\\" + relative; }
    std::string Native(const std::string& relative) const { return dir_ + "/" + relative; }

    static bool Exists(const std::string& path) {
        struct stat info;
        return lstat(path.c_str(), &info) == 0;
    }
    std::filesystem::path Current() const { return std::filesystem::current_path(); }

    TempDir scratch_;
    const std::string dir_ = scratch_.path().string();
    std::filesystem::path saved_cwd_;
};
