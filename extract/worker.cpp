// The extraction worker: one run from the fresh extraction directory to the
// finished setup program. Every failure on the way leaves through Stop(),
// which shows the message recorded by Fail() and closes the window. Whatever
// touches the temporary directory runs as a step inside the extraction
// (InExtraction), so that the window can take the extraction over at any
// time and remove it, and the worker then stops rather than write anywhere.
#include "extract/worker.h"

#include <string.h>

#include "archive/block_decoder.h"
#include "archive/container.h"
#include "archive/entry_name.h"
#include "archive/setup_program.h"
#include "extract/helpers.h"
#include "extract/window_model.h"

char g_archive_path[SYS_PATH_SIZE];
char g_prev_target[SYS_PATH_SIZE];

// Everything one run keeps; ExtractWorker resets it at its start.
struct WorkerRun {
    WindowRef progress;             // read once from the start parameter
    int message;                    // IDS_ text of the failure that stops the run
    unsigned char* piece;           // PIECE_SIZE_MAX bytes
    SysFile archive;                // the archive file or the current volume
    unsigned volume;                // number of the next volume file
    ArchiveHeader header;
    EntryRecord record;
    char directory[SYS_PATH_SIZE];  // the extraction directory: the worker's own copy
    char target[SYS_PATH_SIZE];
    char command_line[SYS_PATH_SIZE];  // the directory, then the setup program field
    char program[SYS_PATH_SIZE];       // the setup program's full path
    char extension[PART_SIZE];         // SplitPath's part, scratch
};

static WorkerRun g_run;

// Records why the run stops. Returns 0, the failure result of every step.
static int Fail(int message)
{
    g_run.message = message;
    return 0;
}

// Joins first and second into out (SYS_PATH_SIZE bytes). Non-zero when the
// whole path fits; out is untouched otherwise.
static int JoinPath(char* out, const char* first, const char* second)
{
    size_t first_length = strlen(first), second_length = strlen(second);
    if (first_length + second_length >= SYS_PATH_SIZE)
        return 0;
    memcpy(out, first, first_length);
    memcpy(out + first_length, second, second_length + 1);
    return 1;
}

// Non-zero when path's extension, as SplitPath gives it, is extension under
// ASCII case folding.
static int ExtensionIs(const char* path, const char* extension)
{
    SplitPath(path, 0, 0, 0, g_run.extension);
    return EqualNoCase(g_run.extension, extension);
}

// Cuts the extension off path in place: what is left is drive, directory
// and base name. Cutting the suffix rather than joining the split parts
// stays right when SplitPath had to shorten a part.
static void DropExtension(char* path)
{
    SplitPath(path, 0, 0, 0, g_run.extension);
    path[strlen(path) - strlen(g_run.extension)] = 0;
}

// Runs step, a part of the run that touches the temporary directory, unless
// the window has taken the extraction over: the run then stops there.
static int InExtraction(int (*step)(void))
{
    if (!EnterExtraction())
        return Fail(IDS_ERROR);
    int done = step();
    LeaveExtraction();
    return done;
}

// Loads text id into buffer (TEXT_SIZE bytes); a text that cannot be
// loaded leaves the buffer empty.
static void Load(int id, char* buffer)
{
    if (!LoadText(id, buffer, TEXT_SIZE))
        buffer[0] = 0;
}

// Shows message in an error box owned by the window; returns when the user
// has closed it.
static void ShowError(int message)
{
    char text[TEXT_SIZE], caption[TEXT_SIZE];
    Load(message, text);
    Load(IDS_CAPTION, caption);
    ShowMessageBox(g_run.progress, text, caption, BOX_ERROR);
}

// Writes format into out (TEXT_SIZE bytes) with path in place of its first
// "%s"; everything else is copied as it is. Cut short rather than overrun.
static void FormatWithPath(char* out, const char* format, const char* path)
{
    const char* slot = strstr(format, "%s");
    size_t length = 0;
    for (const char* from = format; *from && length < TEXT_SIZE - 1;) {
        if (from == slot) {
            for (const char* p = path; *p && length < TEXT_SIZE - 1; p++)
                out[length++] = *p;
            from += 2;
        } else {
            out[length++] = *from++;
        }
    }
    out[length] = 0;
}

// Opens volume file name, asking the user while it is missing. Returns the
// handle, or SYS_NO_FILE when the user gave up.
static SysFile OpenVolume(const char* name)
{
    SysFile file;
    while ((file = SysOpenFile(name, SYS_OPEN_READ)) == SYS_NO_FILE) {
        char format[TEXT_SIZE], question[TEXT_SIZE], caption[TEXT_SIZE];
        Load(IDS_NEXT_VOLUME, format);
        Load(IDS_CAPTION, caption);
        FormatWithPath(question, format, name);
        if (ShowMessageBox(g_run.progress, question, caption, BOX_QUESTION) != ANSWER_YES)
            break;
    }
    return file;
}

// Moves on to the next volume file and reads its first record, which must
// be whole.
static int NextVolume(void)
{
    char name[SYS_PATH_SIZE];
    SysClose(g_run.archive);
    g_run.archive = SYS_NO_FILE;
    if (!MakeVolumeName(g_archive_path, g_run.volume++, name, sizeof name))
        return Fail(IDS_ERROR);
    g_run.archive = OpenVolume(name);
    if (g_run.archive == SYS_NO_FILE || ReadEntryRecord(g_run.archive, &g_run.record) != RECORD_READ)
        return Fail(IDS_ERROR);
    return 1;
}

// Names and creates the extraction directory after a new reserve file in
// the temporary directory, and hands both names to the window: they are
// written inside this step, and the window reads them only once it has
// taken the extraction over. The directory must be new: one that is already
// there may hold anything, and the window deletes it at the end.
static int CreateExtractionDirectory(void)
{
    char temp[SYS_PATH_SIZE], reserve[SYS_PATH_SIZE];
    char* directory = g_run.directory;
    if (!SysGetTempPath(temp, sizeof temp) || !SysGetTempFileName(temp, "~kw", reserve))
        return Fail(IDS_ERROR);
    memcpy(g_reserve_file, reserve, SYS_PATH_SIZE);
    memcpy(directory, reserve, SYS_PATH_SIZE);
    DropExtension(directory);
    size_t length = strlen(directory);
    if (length + 1 >= SYS_PATH_SIZE)
        return Fail(IDS_ERROR);
    directory[length] = '\\';
    directory[length + 1] = 0;
    if (!SysCreateDirectory(directory))
        return Fail(IDS_ERROR);
    // Only now is it ours to remove.
    memcpy(g_extract_dir, directory, SYS_PATH_SIZE);
    return 1;
}

// Asks for the password when the archive has one.
static int CheckPassword(void)
{
    char typed[TEXT_FIELD_SIZE] = "";
    if (g_run.header.password[0] == 0)
        return 1;
    if (AskPassword(g_run.progress, typed) != 1)
        return Fail(IDS_BAD_PASSWORD);
    typed[TEXT_FIELD_SIZE - 1] = 0;
    return EqualNoCase(typed, g_run.header.password) ? 1 : Fail(IDS_BAD_PASSWORD);
}

// Prepares the run: buffer, extraction directory, archive header, window
// title and total, password.
static int Start(void)
{
    g_run.piece = (unsigned char*)SysAlloc(PIECE_SIZE_MAX);
    if (!g_run.piece || !InExtraction(CreateExtractionDirectory))
        return Fail(IDS_ERROR);
    g_run.archive = SysOpenFile(g_archive_path, SYS_OPEN_READ);
    if (g_run.archive == SYS_NO_FILE || !ReadArchiveHeader(g_run.archive, &g_run.header))
        return Fail(IDS_ERROR);
    SendCommand(g_run.progress, CMD_SET_TOTAL, (intptr_t)g_run.header.file_count);
    // A file that is no archive (a stub with nothing appended reads its own
    // headers) fails here, before its bytes become the window's title.
    if (!SetupFieldStaysInside(g_run.header.setup_program))
        return Fail(IDS_ERROR);
    SendCommand(g_run.progress, CMD_SET_TITLE, (intptr_t)g_run.header.title);
    return CheckPassword();
}

// Decodes the previous target into the same path without ".xxx" and deletes
// it, when it is a block file; other paths, and the empty one, are left
// alone.
static int DecodePrevious(void)
{
    char plain[SYS_PATH_SIZE];
    if (!ExtensionIs(g_prev_target, ".xxx"))
        return 1;
    memcpy(plain, g_prev_target, SYS_PATH_SIZE);
    DropExtension(plain);
    // Stopped because the window took over, the decode is no lack of room.
    if (!DecodeBlockFile(g_prev_target, plain, ExtractionKept))
        return Fail(ExtractionKept() ? IDS_NO_SPACE : IDS_ERROR);
    DeleteDecodedFile(g_prev_target);
    return 1;
}

// The open mode for the current record's flags: APPEND wins over CREATE, and
// neither opens the target read-only.
static int OpenMode(void)
{
    if (g_run.record.flags & ENTRY_APPEND)
        return SYS_OPEN_UPDATE;
    return (g_run.record.flags & ENTRY_CREATE) ? SYS_OPEN_CREATE : SYS_OPEN_READ;
}

static int MakeTargetDirectory(void)
{
    return EnsureDirectory(g_run.target) ? 1 : Fail(IDS_ERROR);
}

// Writes the current record's piece to its target.
static int WriteTarget(void)
{
    SysFile target = SysOpenFile(g_run.target, OpenMode());
    if (target == SYS_NO_FILE)
        return Fail(IDS_ERROR);
    int message = 0;
    // A failed seek would put the piece over the start of the file.
    if ((g_run.record.flags & ENTRY_APPEND) && SysSeek(target, 0, SYS_SEEK_END) < 0)
        message = IDS_ERROR;
    else if (!ReadPieceData(g_run.archive, g_run.piece, g_run.record.size))
        message = IDS_INCOMPLETE;
    else if (SysWrite(target, g_run.piece, g_run.record.size) != g_run.record.size)
        message = IDS_NO_SPACE;
    SysClose(target);
    return message ? Fail(message) : 1;
}

// Writes the current record's piece. A name that the name rule refuses, a
// path that does not fit and a piece larger than the buffer are refused
// before anything is touched. The window is told outside the steps: a step
// never waits for the window.
static int WritePiece(void)
{
    if (!IsSafeEntryName(g_run.record.name) || g_run.record.size > PIECE_SIZE_MAX ||
        !JoinPath(g_run.target, g_run.directory, g_run.record.name) || !InExtraction(MakeTargetDirectory))
        return Fail(IDS_ERROR);
    SendCommand(g_run.progress, CMD_SHOW_FILE, (intptr_t)g_run.record.name);
    PauseWorker(100);
    return InExtraction(WriteTarget);
}

// Reads and writes pieces until the last one or a cancel; when a new target
// begins, the previous file is complete and is decoded if it is a block file.
static int ExtractPieces(void)
{
    int keep_going = 1;
    g_run.volume = 1;
    while (keep_going) {
        int result = ReadEntryRecord(g_run.archive, &g_run.record);
        if (result == RECORD_BAD || (result == RECORD_NONE && !NextVolume()))
            return Fail(IDS_ERROR);
        if (!WritePiece())
            return 0;
        if ((g_run.record.flags & ENTRY_LAST) || g_cancel)
            keep_going = 0;
        if (strcmp(g_run.target, g_prev_target) != 0) {
            if (!InExtraction(DecodePrevious))
                return 0;
            memcpy(g_prev_target, g_run.target, SYS_PATH_SIZE);
        }
    }
    return 1;
}

// Closes the archive file and frees the piece buffer.
static void Release(void)
{
    if (g_run.archive != SYS_NO_FILE)
        SysClose(g_run.archive);
    g_run.archive = SYS_NO_FILE;
    SysFree(g_run.piece);
    g_run.piece = 0;
}

// Decodes the last file if needed and forms the setup program's command
// line: the extraction directory, then the field, without ".xxx" at its end.
static int Finish(void)
{
    if (!InExtraction(DecodePrevious))
        return 0;
    Release();
    if (!JoinPath(g_run.command_line, g_run.directory, g_run.header.setup_program))
        return Fail(IDS_ERROR);
    if (ExtensionIs(g_run.command_line, ".xxx"))
        DropExtension(g_run.command_line);
    return 1;
}

// FindSetupProgram's test: whether part is a file in the extraction
// directory; its full path is left in g_run.program.
static int ProgramIsFile(const char* part, void*)
{
    if (!JoinPath(g_run.program, g_run.directory, part))
        return 0;
    SysFile file = SysOpenFile(g_run.program, SYS_OPEN_READ);
    SysClose(file);
    return file != SYS_NO_FILE;
}

// Picks the setup program out of the command line as a search of it would,
// but only inside the extraction directory (FindSetupProgram). Its full path
// goes to g_run.program.
static int FindProgram(void)
{
    char part[TEXT_FIELD_SIZE];
    return FindSetupProgram(g_run.command_line + strlen(g_run.directory), ProgramIsFile, 0, part) != 0;
}

// Gives back the busy count, hides the window and, unless the user
// cancelled, runs the setup program and waits for it. A run whose extraction
// the window has taken over starts nothing and closes the window. The start
// is inside the step: the window's takeover comes either before it, and
// nothing starts, or after it, and the program runs. An elevated start
// keeps the step until the user has answered the system's prompt.
static void Launch(void)
{
    SysProcess process;
    PostCommand(g_run.progress, CMD_BUSY_DEC, 0);
    PostCommand(g_run.progress, CMD_HIDE, 0);
    if (g_cancel)
        return;
    int kept = EnterExtraction();
    int found = kept && FindProgram();
    int started = found && StartProgram(g_run.program, g_run.command_line, g_run.directory, &process);
    if (kept)
        LeaveExtraction();
    if (started)
        WaitProcess(process);
    else
        ShowError(IDS_ERROR);
    if (g_run.header.close_when_done || !kept)
        PostCommand(g_run.progress, CMD_CLOSE, 0);
}

// The one way out on failure: the message, then the window closes.
static void Stop(void)
{
    Release();
    ShowError(g_run.message);
    PostCommand(g_run.progress, CMD_BUSY_DEC, 0);
    PostCommand(g_run.progress, CMD_CLOSE, 0);
}

unsigned long ExtractWorker(void* window)
{
    memset(&g_run, 0, sizeof g_run);
    g_run.archive = SYS_NO_FILE;
    g_run.progress = *(WindowRef*)window;
    g_prev_target[0] = 0;
    if (Start() && ExtractPieces() && Finish())
        Launch();
    else
        Stop();
    return 0;
}
