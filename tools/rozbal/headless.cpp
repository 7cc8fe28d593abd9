#include "tools/rozbal/headless.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "archive/container.h"
#include "extract/window_model.h"
#include "extract/worker.h"
#include "tools/rozbal/batch_decoder.h"
#include "tools/rozbal/system.h"

#include <filesystem>
#include <system_error>

namespace {

// The window: one run at a time, on the caller's thread.
struct Window {
    HeadlessRun run;
    HeadlessOptions options;
    char password[TEXT_FIELD_SIZE];  // the archive's own
    std::filesystem::path aside;     // where deleted files go during the run
    unsigned set_aside = 0;          // how many went there
    bool running = false;            // the worker runs: its start is recorded
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
    WindowCommand(command, argument);
    if (command == CMD_SHOW_FILE) {
        if (g_headless.options.on_piece)
            g_headless.options.on_piece((const char*)argument);
        if (InterruptGuard::Pending()) {
            g_headless.run.interrupted = true;
            WindowCommand(CMD_CANCEL, 0);  // the worker stops after this piece and starts nothing
        }
    }
}

void PostCommand(WindowRef, int command, intptr_t argument)
{
    WindowCommand(command, argument);
    if (command == CMD_HIDE)
        g_headless.run.extracted = true;
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
    if (style != BOX_QUESTION && text[0] == '#')
        g_headless.run.message = atoi(text + 1);
    return 0;  // No: the builder cannot put a volume in place
}

int AskPassword(WindowRef, char* buffer)
{
    const char* typed = g_headless.options.password ? g_headless.options.password : g_headless.password;
    if (!g_headless.options.password && g_headless.options.decline_password)
        return 2;
    snprintf(buffer, TEXT_FIELD_SIZE, "%.*s", TEXT_FIELD_SIZE - 1, typed);
    return 1;
}

// No pacing: the pause is for a reader of the window.
void PauseWorker(uint32_t)
{
}

// Nothing from an archive ever starts on the build machine. During a run the
// worker's start is recorded as what the installer would start and answered
// as a program that started and ended at once; outside a run nothing
// starts. A start that needs no elevation is all the worker asks for here.
static int RecordLaunch(const char* program, const std::string& command_line, const char* directory,
                        bool elevated, SysProcess* process)
{
    if (!g_headless.running)
        return 0;
    g_headless.run.launch = HeadlessLaunch{program, command_line, directory, elevated};
    *process = 0;
    return 1;
}

int StartProcess(const char* program, char* command_line, const char* directory, SysProcess* process)
{
    return RecordLaunch(program, command_line, directory, false, process) ? SYS_STARTED : SYS_START_FAILED;
}

// The command line an elevated start gives the program: its quoted path,
// then the arguments.
int StartElevated(const char* program, const char* arguments, const char* directory, SysProcess* process)
{
    return RecordLaunch(program, "\"" + std::string(program) + "\" " + arguments, directory, true, process);
}

void WaitProcess(SysProcess)
{
}

// Deleting a file frees its inode, and on ext4 without a journal every file
// created in the next minutes passes over the inodes freed meanwhile: with
// the worker deleting each block file once decoded, the later files of a
// large installer came ever slower. During the run a decoded file is moved
// aside instead, under a name the worker never uses, which is gone from
// where it was just the same; the run's end deletes them all at once.
int DeleteDecodedFile(const char* path)
{
    if (g_headless.aside.empty())
        return SysDeleteFile(path);
    std::error_code error;
    std::filesystem::path from = FromWorkerPath(path);
    if (!std::filesystem::is_regular_file(from, error))
        return 0;
    std::filesystem::rename(from, g_headless.aside / std::to_string(g_headless.set_aside++), error);
    return !error;
}

// The header as the worker will read it: the password that answers the
// prompt when the caller gives none, and the setup program field.
static void ReadHeader(const char* archive)
{
    ArchiveHeader header;
    SysFile file = SysOpenFile(archive, SYS_OPEN_READ);
    if (file == SYS_NO_FILE)
        return;
    if (ReadArchiveHeader(file, &header)) {
        memcpy(g_headless.password, header.password, TEXT_FIELD_SIZE);
        g_headless.run.setup_program = header.setup_program;
    }
    SysClose(file);
}

HeadlessRun RunHeadless(const char* archive, const char* temp_dir, const HeadlessOptions& options)
{
    g_headless.run = HeadlessRun();
    g_headless.options = options;
    g_headless.password[0] = 0;
    // What start-up and the window's initialisation set before the worker.
    snprintf(g_archive_path, sizeof g_archive_path, "%s", archive);
    ResetExtraction();
    WindowReset();
    WindowCommand(CMD_BUSY_INC, 0);
    g_block_decoder = &g_libdeflate_blocks;  // the builder's own (batch_decoder.h says why)
    if (strlen(archive) >= sizeof g_archive_path) {
        g_headless.run.message = IDS_ERROR;  // start-up cannot hold the name
        return g_headless.run;
    }
    ReadHeader(archive);
    TemporaryDirectory temp(temp_dir);
    std::error_code error;
    g_headless.aside = FromWorkerPath(temp_dir) / ".rozbal-deleted";
    g_headless.set_aside = 0;
    if (!std::filesystem::create_directory(g_headless.aside, error))
        g_headless.aside.clear();  // then files are deleted as they go
    g_window = &g_headless;
    g_headless.running = true;
    ExtractWorker(&g_window);
    g_headless.running = false;
    g_headless.run.outcome = g_outcome;
    if (!g_headless.aside.empty())
        std::filesystem::remove_all(g_headless.aside, error);
    g_headless.aside.clear();
    return g_headless.run;
}
