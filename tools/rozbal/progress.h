// A one-line progress bar on stderr, drawn only when stdout and stderr are
// terminals, so that nothing of it lands in a file or a pipe.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

class Progress {
  public:
    // `enabled` false, or stdout or stderr not a terminal, makes every call
    // a no-op. `unit` names what total_files counts.
    Progress(bool enabled, uint64_t total_bytes, size_t total_files, const char* unit = "files");
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Counts `bytes` more of the input done, and one file more when `file_done`.
    void Advance(uint64_t bytes, bool file_done);
    // Draws the final state and ends the line.
    void Finish();

  private:
    void Draw();

    bool enabled_;
    uint64_t total_bytes_, bytes_ = 0;
    size_t total_files_, files_ = 0;
    const char* unit_;
    std::chrono::steady_clock::time_point start_, last_draw_;
};
