// One run of the installer's own worker on an installer, for verify and
// extract: the worker decides what the installer would do; the builder adds
// only what the worker cannot see on this system (names Windows takes for
// one file or refuses, the setup program it would start, the file count)
// and says where in the archive a failure lies.
#pragma once

#include "tools/rozbal/headless.h"

#include <filesystem>
#include <string>
#include <vector>

struct RunOptions {
    std::filesystem::path archive;
    std::filesystem::path temp_dir;  // the worker's temporary directory; must exist
    const char* password = nullptr;  // typed at the prompt; null: see skip_password
    bool skip_password = false;      // answer with the archive's own password
    bool progress = false;           // draw the progress bar (on a terminal only)
};

// What the archive holds beside the worker's verdict, for the summary.
struct ArchiveTotals {
    size_t files = 0;  // distinct piece names
    unsigned pieces = 0, volumes = 0;
    uint64_t stored = 0;     // data bytes of the pieces
    uint64_t installed = 0;  // bytes of the extracted files
};

class InstallerRun {
  public:
    // Runs the worker. Throws InputError when the installer would stop,
    // naming the file, offset and piece where it can be told, and when the
    // builder's own checks fail; OutputError when the temporary directory
    // has no room for the pieces or the system refuses a write; Interrupted
    // when a signal came during the run. The extraction is removed first.
    // Warns when the file count differs from the files or is more than the
    // progress bar counts, and when two files are one on Windows.
    explicit InstallerRun(const RunOptions& options);
    // Removes the extraction (the reserve file and the directory).
    ~InstallerRun();
    InstallerRun(const InstallerRun&) = delete;
    InstallerRun& operator=(const InstallerRun&) = delete;

    // The extraction directory, without a trailing separator: files under
    // their archive names (code page 1250 bytes, '/' for '\'), block files
    // decoded.
    const std::filesystem::path& Extracted() const
    {
        return extracted_;
    }
    const ArchiveTotals& Totals() const
    {
        return totals_;
    }
    // The setup program as the installer would start it: its name in the
    // extraction directory, then its arguments.
    const std::string& SetupProgram() const
    {
        return setup_;
    }

  private:
    void CheckRoom();
    std::string Refusal(const HeadlessRun& run) const;
    void CheckTree(bool launched);
    void CheckArchive();

    RunOptions options_;
    std::filesystem::path extracted_;
    ArchiveTotals totals_;
    std::string setup_;
    std::vector<uint32_t> piece_sizes_;  // data bytes of each piece, for the progress bar
};
