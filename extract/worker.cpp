// The extraction worker: one run from the fresh extraction directory to the
// finished setup program. Every failure on the way leaves through Stop(),
// which records the outcome, shows the message for the reason given to
// Fail() and closes the window. Whatever touches the temporary directory
// runs as a step inside the extraction (InExtraction), so that the window
// can take the extraction over at any time and remove it, and the worker
// then stops rather than write anywhere.
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
    int reason;                     // STOP_ value of the failure that stops the run
    int finishing;                  // the pieces are done: a decode now is the last file's
    unsigned char* piece;           // PIECE_SIZE_MAX bytes
    RecordCursor cursor;            // in the archive file or the current volume
    ArchiveHeader header;
    char directory[SYS_PATH_SIZE];  // the extraction directory: the worker's own copy
    char target[SYS_PATH_SIZE];
    char command_line[SYS_PATH_SIZE];  // the directory, then the setup program field
    char program[SYS_PATH_SIZE];       // the setup program's full path
    char extension[PART_SIZE];         // SplitPath's part, scratch
};

static WorkerRun g_run;
WorkerOutcome g_outcome;

// The message each STOP_ reason shows, in the order of their values.
static const unsigned char kMessages[] = {
    0,                 // STOP_NONE
    0,                 // CURSOR_READ, no reason
    IDS_ERROR,         // STOP_BAD_NAME
    IDS_ERROR,         // STOP_NO_VOLUME
    IDS_ERROR,         // STOP_SHORT_VOLUME
    IDS_ERROR,         // STOP_NO_DIRECTORY
    IDS_ERROR,         // STOP_NO_MEMORY
    IDS_ERROR,         // STOP_NO_ARCHIVE
    IDS_ERROR,         // STOP_SETUP_FIELD
    IDS_BAD_PASSWORD,  // STOP_NO_PASSWORD
    IDS_BAD_PASSWORD,  // STOP_WRONG_PASSWORD
    IDS_ERROR,         // STOP_NAME
    IDS_ERROR,         // STOP_TOO_LARGE
    IDS_ERROR,         // STOP_PATH_TOO_LONG
    IDS_ERROR,         // STOP_NO_TARGET_DIRECTORY
    IDS_ERROR,         // STOP_OPEN
    IDS_ERROR,         // STOP_SEEK
    IDS_INCOMPLETE,    // STOP_SHORT_READ
    IDS_NO_SPACE,      // STOP_WRITE
    IDS_NO_SPACE,      // STOP_DECODE
    IDS_NO_SPACE,      // STOP_DECODE_LAST
    IDS_ERROR,         // STOP_TAKEN_OVER
    IDS_ERROR,         // STOP_COMMAND_LINE
    IDS_ERROR,         // STOP_NO_PROGRAM
};
static_assert(sizeof kMessages == STOP_REASONS, "one message per reason");
static_assert(STOP_DECODE_LAST == STOP_DECODE + 1, "DecodePrevious adds finishing");

// Records why the run stops. Returns 0, the failure result of every step.
static int Fail(int reason)
{
    g_run.reason = reason;
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
        return Fail(STOP_TAKEN_OVER);
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

// The cursor's way to a volume: opens volume file name, asking the user
// while it is missing. Returns the handle, or SYS_NO_FILE when the user gave
// up.
static SysFile OpenVolume(const char* name, void*)
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
        return Fail(STOP_NO_DIRECTORY);
    memcpy(g_reserve_file, reserve, SYS_PATH_SIZE);
    memcpy(directory, reserve, SYS_PATH_SIZE);
    DropExtension(directory);
    size_t length = strlen(directory);
    if (length + 1 >= SYS_PATH_SIZE)
        return Fail(STOP_NO_DIRECTORY);
    directory[length] = '\\';
    directory[length + 1] = 0;
    if (!SysCreateDirectory(directory))
        return Fail(STOP_NO_DIRECTORY);
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
        return Fail(STOP_NO_PASSWORD);
    typed[TEXT_FIELD_SIZE - 1] = 0;
    return EqualNoCase(typed, g_run.header.password) ? 1 : Fail(STOP_WRONG_PASSWORD);
}

// Prepares the run: buffer, extraction directory, archive header, window
// title and total, password.
static int Start(void)
{
    g_run.piece = (unsigned char*)SysAlloc(PIECE_SIZE_MAX);
    if (!g_run.piece)
        return Fail(STOP_NO_MEMORY);
    if (!InExtraction(CreateExtractionDirectory))
        return 0;
    g_run.cursor.file = SysOpenFile(g_archive_path, SYS_OPEN_READ);
    if (g_run.cursor.file == SYS_NO_FILE || !ReadArchiveHeader(g_run.cursor.file, &g_run.header))
        return Fail(STOP_NO_ARCHIVE);
    SendCommand(g_run.progress, CMD_SET_TOTAL, (intptr_t)g_run.header.file_count);
    // A file that is no archive (a stub with nothing appended reads its own
    // headers) fails here, before its bytes become the window's title.
    if (!SetupFieldStaysInside(g_run.header.setup_program))
        return Fail(STOP_SETUP_FIELD);
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
        return Fail(ExtractionKept() ? STOP_DECODE + g_run.finishing : STOP_TAKEN_OVER);
    DeleteDecodedFile(g_prev_target);
    return 1;
}

// The open mode for the current record's flags: APPEND wins over CREATE, and
// neither opens the target read-only.
static int OpenMode(void)
{
    if (g_run.cursor.record.flags & ENTRY_APPEND)
        return SYS_OPEN_UPDATE;
    return (g_run.cursor.record.flags & ENTRY_CREATE) ? SYS_OPEN_CREATE : SYS_OPEN_READ;
}

static int MakeTargetDirectory(void)
{
    return EnsureDirectory(g_run.target) ? 1 : Fail(STOP_NO_TARGET_DIRECTORY);
}

// Writes the current record's piece to its target.
static int WriteTarget(void)
{
    SysFile target = SysOpenFile(g_run.target, OpenMode());
    if (target == SYS_NO_FILE)
        return Fail(STOP_OPEN);
    int reason = STOP_NONE;
    // A failed seek would put the piece over the start of the file.
    if ((g_run.cursor.record.flags & ENTRY_APPEND) && SysSeek(target, 0, SYS_SEEK_END) < 0)
        reason = STOP_SEEK;
    else if (!ReadPieceData(g_run.cursor.file, g_run.piece, g_run.cursor.record.size))
        reason = STOP_SHORT_READ;
    else if (SysWrite(target, g_run.piece, g_run.cursor.record.size) != g_run.cursor.record.size)
        reason = STOP_WRITE;
    SysClose(target);
    return reason ? Fail(reason) : 1;
}

// Writes the current record's piece. A name that the name rule refuses, a
// path that does not fit and a piece larger than the buffer are refused
// before anything is touched. The window is told outside the steps: a step
// never waits for the window.
static int WritePiece(void)
{
    const EntryRecord* record = &g_run.cursor.record;
    if (!IsSafeEntryName(record->name))
        return Fail(STOP_NAME);
    if (record->size > PIECE_SIZE_MAX)
        return Fail(STOP_TOO_LARGE);
    if (!JoinPath(g_run.target, g_run.directory, record->name))
        return Fail(STOP_PATH_TOO_LONG);
    if (!InExtraction(MakeTargetDirectory))
        return 0;
    SendCommand(g_run.progress, CMD_SHOW_FILE, (intptr_t)record->name);
    PauseWorker(100);
    return InExtraction(WriteTarget);
}

// Reads and writes pieces until the last one or a cancel; when a new target
// begins, the previous file is complete and is decoded if it is a block file.
static int ExtractPieces(void)
{
    int keep_going = 1;
    while (keep_going) {
        int result = NextRecord(&g_run.cursor, g_archive_path, OpenVolume, 0);
        if (result != CURSOR_READ)
            return Fail(result);
        if (!WritePiece())
            return 0;
        if ((g_run.cursor.record.flags & ENTRY_LAST) || g_cancel)
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
    if (g_run.cursor.file != SYS_NO_FILE)
        SysClose(g_run.cursor.file);
    g_run.cursor.file = SYS_NO_FILE;
    SysFree(g_run.piece);
    g_run.piece = 0;
}

// Decodes the last file if needed and forms the setup program's command
// line: the extraction directory, then the field, without ".xxx" at its end.
static int Finish(void)
{
    g_run.finishing = 1;
    if (!InExtraction(DecodePrevious))
        return 0;
    Release();
    if (!JoinPath(g_run.command_line, g_run.directory, g_run.header.setup_program))
        return Fail(STOP_COMMAND_LINE);
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
    if (started) {
        WaitProcess(process);
    } else {
        g_outcome.reason = kept ? STOP_NO_PROGRAM : STOP_TAKEN_OVER;
        ShowError(IDS_ERROR);
    }
    if (g_run.header.close_when_done || !kept)
        PostCommand(g_run.progress, CMD_CLOSE, 0);
}

// The one way out on failure: the outcome, the message, then the window
// closes.
static void Stop(void)
{
    Release();
    g_outcome.reason = g_run.reason;
    g_outcome.error = SysTakeWriteError();
    g_outcome.place = g_run.cursor.place;
    ShowError(kMessages[g_run.reason]);
    PostCommand(g_run.progress, CMD_BUSY_DEC, 0);
    PostCommand(g_run.progress, CMD_CLOSE, 0);
}

unsigned long ExtractWorker(void* window)
{
    memset(&g_run, 0, sizeof g_run);
    memset(&g_outcome, 0, sizeof g_outcome);
    g_run.cursor.file = SYS_NO_FILE;
    g_run.progress = *(WindowRef*)window;
    g_prev_target[0] = 0;
    if (Start() && ExtractPieces() && Finish())
        Launch();
    else
        Stop();
    return 0;
}
