#include "tools/rozbal/headless.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "extract/commands.h"
#include "extract/worker.h"
#include "tools/rozbal/system.h"

namespace {

// The window: one run at a time, on the caller's thread.
struct Window {
    HeadlessRun run;
    HeadlessOptions options;
} g_headless;

// The temporary directory comes from the environment (TMPDIR for
// platform/posix, TMP for platform/win32); the caller's value is put back
// after the run.
class TemporaryDirectory {
  public:
    explicit TemporaryDirectory(const char* directory) : old_(Environment(kTempVariable))
    {
        SetEnvironment(kTempVariable, std::string(directory));
    }
    ~TemporaryDirectory()
    {
        SetEnvironment(kTempVariable, old_);
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  private:
    std::optional<std::string> old_;
};

}  // namespace

void SendCommand(WindowRef, int command, intptr_t argument)
{
    if (command == CMD_SET_TOTAL) {
        g_headless.run.header_read = true;
        g_headless.run.file_count = (uint32_t)argument;
    } else if (command == CMD_SHOW_FILE) {
        g_headless.run.shown.push_back((const char*)argument);
    }
}

void PostCommand(WindowRef, int command, intptr_t)
{
    if (command == CMD_BUSY_DEC)
        g_busy--;
    else if (command == CMD_HIDE)
        g_cancel = 1;  // what the worker checks before it launches
}

// Texts are their ids ("#4"), so that a box says which message it shows;
// the volume question is the bare "%s", so that it says the volume's path.
int LoadText(int id, char* buffer, int size)
{
    int length = id == IDS_NEXT_VOLUME ? snprintf(buffer, size, "%%s") : snprintf(buffer, size, "#%d", id);
    return length > 0 && length < size ? length : 0;
}

int ShowMessageBox(WindowRef, const char* text, const char*, unsigned style)
{
    if (style == BOX_QUESTION)
        g_headless.run.missing_volume = text;
    else if (text[0] == '#')
        g_headless.run.message = atoi(text + 1);
    return 0;  // No: the builder cannot put a volume in place
}

int AskPassword(WindowRef, char* buffer)
{
    g_headless.run.password_asked = true;
    const char* typed = g_headless.options.password ? g_headless.options.password : g_password;
    if (!g_headless.options.password && g_headless.options.decline_password)
        return 2;
    snprintf(buffer, TEXT_FIELD_SIZE, "%.*s", TEXT_FIELD_SIZE - 1, typed);
    return 1;
}

// The link puts these in place of SysSleep and SysRunAndWait: no pacing,
// and no program from an archive is ever started, whatever the worker does
// after the cancel (a start that fails is reported as an error box).
extern "C" void __wrap__Z8SysSleepj(uint32_t)
{
}

extern "C" int __wrap__Z13SysRunAndWaitPc(char*)
{
    return 0;
}

HeadlessRun RunHeadless(const char* archive, const char* temp_dir, const HeadlessOptions& options)
{
    g_headless.run = HeadlessRun();
    g_headless.options = options;
    // What start-up and the window's initialisation set before the worker.
    snprintf(g_archive_path, sizeof g_archive_path, "%s", archive);
    g_prev_target[0] = 0;
    g_extract_dir[0] = 0;
    g_reserve_file[0] = 0;
    g_busy = 1;
    g_cancel = 0;
    if (strlen(archive) >= sizeof g_archive_path) {
        g_headless.run.message = IDS_ERROR;  // start-up cannot hold the name
        return g_headless.run;
    }
    TemporaryDirectory temp(temp_dir);
    g_window = &g_headless;
    ExtractWorker(&g_window);
    return g_headless.run;
}
