#include "extract/extraction.h"

#include <atomic>

#include "extract/helpers.h"

char g_extract_dir[SYS_PATH_SIZE];
char g_reserve_file[SYS_PATH_SIZE];

namespace {

// Bits of the handoff.
enum {
    IN_STEP = 1,  // the worker is inside a step
    TAKEN = 2,    // the window has taken the extraction over: final
};

// The window marks the extraction taken at once, whatever the worker is
// doing, and then waits only for the step in progress: a worker whose steps
// follow each other closely cannot slip past a window that looks now and
// then. The release when a step ends and the acquire when the window takes
// over make the names the worker wrote visible to the window, whole.
std::atomic<int> g_handoff{0};

// Takes the extraction over and waits until no step runs.
void TakeOver(void)
{
    g_handoff.fetch_or(TAKEN, std::memory_order_acquire);
    while (g_handoff.load(std::memory_order_acquire) & IN_STEP)
        SysSleep(1);
}

}  // namespace

void ResetExtraction(void)
{
    g_extract_dir[0] = 0;
    g_reserve_file[0] = 0;
    g_handoff.store(0, std::memory_order_release);
}

int EnterExtraction(void)
{
    int seen = 0;
    return g_handoff.compare_exchange_strong(seen, IN_STEP, std::memory_order_acquire);
}

int ExtractionKept(void)
{
    return !(g_handoff.load(std::memory_order_relaxed) & TAKEN);
}

void LeaveExtraction(void)
{
    g_handoff.fetch_and(~IN_STEP, std::memory_order_release);
}

void RemoveExtraction(void)
{
    TakeOver();
    if (g_extract_dir[0]) {
        RemoveDirectoryTree(g_extract_dir);
        // While anything of the directory is left, the reserve file keeps
        // its name from being handed to another run. Entering is the test;
        // leaving again keeps the next try able to delete it.
        if (SysSetCurrentDirectory(g_extract_dir)) {
            char temp[SYS_PATH_SIZE];
            if (SysGetTempPath(temp, sizeof temp))
                SysSetCurrentDirectory(temp);
            return;
        }
        g_extract_dir[0] = 0;
    }
    if (g_reserve_file[0])
        SysDeleteFile(g_reserve_file);
    g_reserve_file[0] = 0;
}
