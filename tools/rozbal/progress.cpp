#include "tools/rozbal/progress.h"

#include "tools/rozbal/system.h"

#include <cstdio>

namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

}  // namespace

Progress::Progress(bool enabled, uint64_t total_bytes, size_t total_files, const char* unit)
    : enabled_(enabled && IsTerminal(stdout) && IsTerminal(stderr)),
      total_bytes_(total_bytes),
      total_files_(total_files),
      unit_(unit),
      start_(std::chrono::steady_clock::now()),
      last_draw_(start_)
{
}

Progress::~Progress()
{
    // A pack that failed half way leaves the bar's line for the message.
    if (enabled_)
        std::fputc('\n', stderr);
}

void Progress::Advance(uint64_t bytes, bool file_done)
{
    if (!enabled_)
        return;
    bytes_ += bytes;
    files_ += file_done;
    auto now = std::chrono::steady_clock::now();
    if (now - last_draw_ >= kRedrawInterval) {
        last_draw_ = now;
        Draw();
    }
}

void Progress::Finish()
{
    if (!enabled_)
        return;
    Draw();
    std::fputc('\n', stderr);
    enabled_ = false;
}

void Progress::Draw()
{
    // The file may have grown since it was scanned.
    double fraction =
        total_bytes_ == 0 || bytes_ >= total_bytes_ ? 1.0 : double(bytes_) / double(total_bytes_);
    int filled = static_cast<int>(fraction * kBarWidth);
    char bar[kBarWidth + 1];
    for (int i = 0; i < kBarWidth; i++)
        bar[i] = i < filled ? '#' : '.';
    bar[kBarWidth] = 0;
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    double rate = seconds > 0 ? bytes_ / 1e6 / seconds : 0;
    std::fprintf(stderr, "\r[%s] %3d%%  %.1f/%.1f MB  %zu/%zu %s  %.1f MB/s ", bar,
                 static_cast<int>(fraction * 100), bytes_ / 1e6, total_bytes_ / 1e6, files_, total_files_,
                 unit_, rate);
    std::fflush(stderr);
}
