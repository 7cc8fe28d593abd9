// Runs the extraction worker against the native test window, each test in a
// scratch directory of its own that is also the temporary directory, and
// checks after every run that removing the extraction leaves it empty.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/native_window/test_window.h"
#include "tests/support/temp_dir.h"

class WorkerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes installer as the archive file and runs the worker on it.
    void Run(const std::string& installer);
    // Runs the worker on whatever the archive file is now.
    void RunWorker();

    // Makes the temporary directory a subdirectory of length characters.
    void LengthenTemp(size_t length);

    // The installer's file, its volume n, and the record the setup program
    // writes.
    std::string Archive() const { return out_ + "/setup.exe"; }
    std::string Volume(int n) const;
    std::string Record() const;

    // Files the worker writes are not executable on POSIX, where Windows
    // needs no such bit: when the window shows the piece shown, it creates
    // file (below the extraction directory) executable, and the worker's
    // write or decode then keeps that mode.
    void MarkExecutable(const std::string& shown, const std::string& file);
    // The setup program's piece: the recording program under name.
    std::string SetupPiece(uint32_t flags, const std::string& name);

    TestWindow window;
    std::string temp_;                  // TMPDIR
    std::vector<std::string> log;       // the window's log, rendered
    std::map<std::string, std::string> extracted;  // path below the extraction directory -> bytes
    std::string extract_dir;            // g_extract_dir as a native path
    bool expect_temp_empty = true;      // checked after RemoveExtraction
    TempDir scratch_;
    std::string root_, out_;            // the scratch directory; archives in out_

private:
    std::string saved_cwd_;
    std::optional<std::string> saved_tmpdir_;  // the caller's TMPDIR, put back after each test
};

// The error box of message id, as rendered in the log.
std::string ErrorBox(int id);
