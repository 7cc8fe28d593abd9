// The installer's worker without a window: the port of extract/port.h
// answered on the worker's own thread, for the builder's verify and extract
// and for the worker's fuzz target. The worker decides everything; this
// only records what it showed and answers its questions.
#pragma once

#include <stdint.h>

#include "extract/worker.h"

#include <functional>
#include <optional>
#include <string>

struct HeadlessOptions {
    // What the password prompt gets: the text typed, or, when null, the
    // archive's own password (the check cannot fail), or, when null and
    // decline_password is set, a declined prompt.
    const char* password = nullptr;
    bool decline_password = false;
    // Called as the worker shows each piece, with its name.
    std::function<void(const char*)> on_piece;
};

// What the worker would have started: the setup program's full path, the
// command line it gets, its current directory (the worker's paths), and
// whether through the elevation prompt.
struct HeadlessLaunch {
    std::string program;
    std::string command_line;
    std::string directory;
    bool elevated = false;
};

struct HeadlessRun {
    int message = 0;                       // IDS_ text of the error box; 0 when the worker went through
    std::string setup_program;             // the header's field, when it can be read
    WorkerOutcome outcome{};               // where and why the worker stopped
    bool interrupted = false;              // a signal came; the worker was cancelled after its piece
    bool extracted = false;                // CMD_HIDE came: every piece was written and decoded
    std::optional<HeadlessLaunch> launch;  // the worker's start, when it made one
};

// Runs ExtractWorker once on archive (the installer's file, at most 259
// characters), with temp_dir as the temporary directory under which it makes
// its extraction directory. Returns when the worker has ended. The worker
// runs its own launch, but the port starts nothing: it records what would
// have started (HeadlessRun::launch), and the worker finds the program
// ended at once. The volume question is answered No. A signal caught by an
// InterruptGuard cancels the run after the piece being written, as the
// window's Cancel would, and nothing is launched. The extraction stays for
// the caller, who reads it at g_extract_dir and ends with
// RemoveExtraction().
HeadlessRun RunHeadless(const char* archive, const char* temp_dir, const HeadlessOptions& options);
