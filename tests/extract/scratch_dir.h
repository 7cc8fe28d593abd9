// A fresh directory per test; the current directory, which the code under
// test moves, is put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

class ScratchDir : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/extract-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        saved_cwd_ = std::filesystem::current_path();
    }
    void TearDown() override {
        std::filesystem::current_path(saved_cwd_);
        std::filesystem::remove_all(dir_);
    }

    // A path below the scratch directory in the installer's form, and natively.
    std::string Windows(const std::string& relative) const { return dir_ + "\\" + relative; }
    std::string Native(const std::string& relative) const { return dir_ + "/" + relative; }

    static void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
    static std::string ReadText(const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static bool Exists(const std::string& path) {
        struct stat info;
        return lstat(path.c_str(), &info) == 0;
    }
    std::filesystem::path Current() const { return std::filesystem::current_path(); }

    std::string dir_;
    std::filesystem::path saved_cwd_;
};
