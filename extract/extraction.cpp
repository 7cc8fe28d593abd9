#include "extract/extraction.h"

#include <atomic>

#include "extract/helpers.h"

char g_extract_dir[SYS_PATH_SIZE];
char g_reserve_file[SYS_PATH_SIZE];

namespace {

enum {
    OPEN = 0,     // nobody in a step; the worker may enter
    IN_STEP = 1,  // the worker is inside a step
    TAKEN = 2,    // the window has taken the extraction over: final
};

// The release when a step ends and the acquire when the window takes over
// make the names the worker wrote visible to the window, whole.
std::atomic<int> g_handoff{OPEN};

// Waits until no step runs and takes the extraction over.
void TakeOver(void)
{
    int seen = OPEN;
    while (!g_handoff.compare_exchange_weak(seen, TAKEN, std::memory_order_acquire)) {
        if (seen == TAKEN)
            return;
        if (seen == IN_STEP)
            SysSleep(10);
        seen = OPEN;
    }
}

}  // namespace

void ResetExtraction(void)
{
    g_extract_dir[0] = 0;
    g_reserve_file[0] = 0;
    g_handoff.store(OPEN, std::memory_order_release);
}

int EnterExtraction(void)
{
    int seen = OPEN;
    return g_handoff.compare_exchange_strong(seen, IN_STEP, std::memory_order_acquire);
}

void LeaveExtraction(void)
{
    g_handoff.store(OPEN, std::memory_order_release);
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
