// The extraction worker: one run from the fresh extraction directory to the
// finished setup program. Every failure on the way leaves through Stop(),
// which shows the message recorded by Fail() and closes the window.
#include "extract/worker.h"

#include <string.h>

#include "archive/block_decoder.h"
#include "archive/container.h"
#include "extract/helpers.h"
#include "extract/commands.h"

static WindowRef g_progress;             // read once from the start parameter
static int g_message;                    // IDS_ text of the failure that stops the run
static unsigned char* g_piece;           // PIECE_SIZE_MAX bytes
static SysFile g_archive = SYS_NO_FILE;  // the archive file or the current volume
static unsigned g_volume;                // number of the next volume file
static ArchiveHeader g_header;
static EntryRecord g_record;
static char g_target[SYS_PATH_SIZE];
static char g_command_line[SYS_PATH_SIZE];
static char g_extension[PART_SIZE];  // SplitPath's part, scratch

// Records why the run stops. Returns 0, the failure result of every step.
static int Fail(int message)
{
    g_message = message;
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
    SplitPath(path, 0, 0, 0, g_extension);
    return EqualNoCase(g_extension, extension);
}

// Cuts the extension off path in place: what is left is drive, directory
// and base name. Cutting the suffix rather than joining the split parts
// stays right when SplitPath had to shorten a part.
static void DropExtension(char* path)
{
    SplitPath(path, 0, 0, 0, g_extension);
    path[strlen(path) - strlen(g_extension)] = 0;
}

// Non-zero when component (length bytes) is only dots and blanks with at
// least two dots: "..", and the forms such as ".. " or "..." that Windows
// trims down to it.
static int ClimbsUp(const char* component, size_t length)
{
    size_t dots = 0;
    for (size_t i = 0; i < length; i++) {
        if (component[i] == '.')
            dots++;
        else if (component[i] != ' ')
            return 0;
    }
    return dots >= 2;
}

// Non-zero when name, put after the extraction directory, names a file
// inside it: not rooted (a leading separator, which also covers UNC paths),
// no drive or alternate stream (no ':' anywhere), no climbing component.
static int StaysInside(const char* name)
{
    if (name[0] == '\\' || name[0] == '/' || strchr(name, ':'))
        return 0;
    for (;;) {
        size_t length = strcspn(name, "\\/");
        if (ClimbsUp(name, length))
            return 0;
        if (name[length] == 0)
            return 1;
        name += length + 1;
    }
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
    ShowMessageBox(g_progress, text, caption, BOX_ERROR);
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
        if (ShowMessageBox(g_progress, question, caption, BOX_QUESTION) != ANSWER_YES)
            break;
    }
    return file;
}

// Moves on to the next volume file and reads its first record, which must
// be whole.
static int NextVolume(void)
{
    char name[SYS_PATH_SIZE];
    SysClose(g_archive);
    g_archive = SYS_NO_FILE;
    if (!MakeVolumeName(g_archive_path, g_volume++, name, sizeof name))
        return Fail(IDS_ERROR);
    g_archive = OpenVolume(name);
    if (g_archive == SYS_NO_FILE || ReadEntryRecord(g_archive, &g_record) != RECORD_READ)
        return Fail(IDS_ERROR);
    return 1;
}

// Names and creates the extraction directory after a new reserve file in
// the temporary directory. The directory must be new: one that is already
// there may hold anything, and the window deletes it at the end.
static int CreateExtractionDirectory(void)
{
    char temp[SYS_PATH_SIZE], reserve[SYS_PATH_SIZE], directory[SYS_PATH_SIZE];
    if (!SysGetTempPath(temp, sizeof temp) || !SysGetTempFileName(temp, "~kw", reserve))
        return Fail(IDS_ERROR);
    // The window may read the name at any time (end of session): it gets
    // the whole name of a file that exists, never one half written.
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
    memcpy(g_extract_dir, directory, sizeof directory);
    return 1;
}

// Asks for the password when the archive has one.
static int CheckPassword(void)
{
    char typed[TEXT_FIELD_SIZE] = "";
    if (g_password[0] == 0)
        return 1;
    if (AskPassword(g_progress, typed) != 1)
        return Fail(IDS_BAD_PASSWORD);
    typed[TEXT_FIELD_SIZE - 1] = 0;
    return EqualNoCase(typed, g_password) ? 1 : Fail(IDS_BAD_PASSWORD);
}

// Prepares the run: buffer, extraction directory, archive header, window
// title and total, password.
static int Start(void)
{
    g_piece = (unsigned char*)SysAlloc(PIECE_SIZE_MAX);
    if (!g_piece || !CreateExtractionDirectory())
        return Fail(IDS_ERROR);
    g_archive = SysOpenFile(g_archive_path, SYS_OPEN_READ);
    if (g_archive == SYS_NO_FILE || !ReadArchiveHeader(g_archive, &g_header))
        return Fail(IDS_ERROR);
    SendCommand(g_progress, CMD_SET_TOTAL, (intptr_t)g_header.file_count);
    memcpy(g_setup_program, g_header.setup_program, TEXT_FIELD_SIZE);
    SendCommand(g_progress, CMD_SET_TITLE, (intptr_t)g_header.title);
    memcpy(g_password, g_header.password, TEXT_FIELD_SIZE);
    return CheckPassword();
}

// Decodes path into the same path without ".xxx" and deletes it, when it is
// a block file; other paths, and the empty one, are left alone.
static int DecodeIfBlockFile(const char* path)
{
    char plain[SYS_PATH_SIZE];
    if (!ExtensionIs(path, ".xxx"))
        return 1;
    memcpy(plain, path, SYS_PATH_SIZE);
    DropExtension(plain);
    if (!DecodeBlockFile(path, plain))
        return Fail(IDS_NO_SPACE);
    SysDeleteFile(path);
    return 1;
}

// The open mode for the current record's flags: APPEND wins over CREATE, and
// neither opens the target read-only.
static int OpenMode(void)
{
    if (g_record.flags & ENTRY_APPEND)
        return SYS_OPEN_UPDATE;
    return (g_record.flags & ENTRY_CREATE) ? SYS_OPEN_CREATE : SYS_OPEN_READ;
}

// Writes the current record's piece to its target. A name that would land
// outside the extraction directory, a path that does not fit and a piece
// larger than the buffer are refused before anything is touched.
static int WritePiece(void)
{
    if (!StaysInside(g_record.name) || g_record.size > PIECE_SIZE_MAX ||
        !JoinPath(g_target, g_extract_dir, g_record.name) || !EnsureDirectory(g_target))
        return Fail(IDS_ERROR);
    SendCommand(g_progress, CMD_SHOW_FILE, (intptr_t)g_record.name);
    SysSleep(100);
    SysFile target = SysOpenFile(g_target, OpenMode());
    if (target == SYS_NO_FILE)
        return Fail(IDS_ERROR);
    int message = 0;
    // A failed seek would put the piece over the start of the file.
    if ((g_record.flags & ENTRY_APPEND) && SysSeek(target, 0, SYS_SEEK_END) < 0)
        message = IDS_ERROR;
    else if (!ReadPieceData(g_archive, g_piece, g_record.size))
        message = IDS_INCOMPLETE;
    else if (SysWrite(target, g_piece, g_record.size) != g_record.size)
        message = IDS_NO_SPACE;
    SysClose(target);
    return message ? Fail(message) : 1;
}

// Reads and writes pieces until the last one or a cancel; when a new target
// begins, the previous file is complete and is decoded if it is a block file.
static int ExtractPieces(void)
{
    int keep_going = 1;
    g_volume = 1;
    while (keep_going) {
        int result = ReadEntryRecord(g_archive, &g_record);
        if (result == RECORD_BAD || (result == RECORD_NONE && !NextVolume()))
            return Fail(IDS_ERROR);
        if (!WritePiece())
            return 0;
        if ((g_record.flags & ENTRY_LAST) || g_cancel)
            keep_going = 0;
        if (strcmp(g_target, g_prev_target) != 0) {
            if (!DecodeIfBlockFile(g_prev_target))
                return 0;
            memcpy(g_prev_target, g_target, SYS_PATH_SIZE);
        }
    }
    return 1;
}

// Closes the archive file and frees the piece buffer.
static void Release(void)
{
    if (g_archive != SYS_NO_FILE)
        SysClose(g_archive);
    g_archive = SYS_NO_FILE;
    SysFree(g_piece);
    g_piece = 0;
}

// Decodes the last file if needed and forms the setup program's command line.
static int Finish(void)
{
    if (!DecodeIfBlockFile(g_prev_target))
        return 0;
    Release();
    return JoinPath(g_command_line, g_extract_dir, g_setup_program) ? 1 : Fail(IDS_ERROR);
}

// Gives back the busy count, hides the window and, unless the user
// cancelled, runs the setup program and waits for it.
static void Launch(void)
{
    PostCommand(g_progress, CMD_BUSY_DEC, 0);
    PostCommand(g_progress, CMD_HIDE, 0);
    if (g_cancel)
        return;
    if (ExtensionIs(g_command_line, ".xxx"))
        DropExtension(g_command_line);
    if (!RunAndWait(g_command_line))
        ShowError(IDS_ERROR);
    if (g_header.close_when_done)
        PostCommand(g_progress, CMD_CLOSE, 0);
}

// The one way out on failure: the message, then the window closes.
static void Stop(void)
{
    Release();
    ShowError(g_message);
    PostCommand(g_progress, CMD_BUSY_DEC, 0);
    PostCommand(g_progress, CMD_CLOSE, 0);
}

unsigned long ExtractWorker(void* window)
{
    g_progress = *(WindowRef*)window;
    if (Start() && ExtractPieces() && Finish())
        Launch();
    else
        Stop();
    return 0;
}

void RemoveExtraction(void)
{
    if (g_extract_dir[0]) {
        // RemoveDirectoryTree first moves to the parent, the temporary
        // directory: EnsureDirectory left us inside the tree.
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
