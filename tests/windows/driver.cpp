// driver: drives a Windows program under test from the outside, the way a
// user would, and prints what it sees. The end-to-end tests run it under
// wine64.
//
//   driver COMMAND...
//
// Each argument is one command; "@FILE" runs the commands of FILE instead
// (UTF-8, one per line; blank lines and lines starting with # are skipped).
// $NAME and ${NAME} are replaced by environment variables. IDs are decimal
// control ids (65535 is the -1 of a template).
//
//   start CMDLINE          start the program under test (its stdout is ours)
//   env NAME VALUE         set an environment variable for the program started next
//   timeout MS             how long the wait- commands wait (default 10000)
//   wait-window TITLE      wait for a visible top-level window of the program
//                          with exactly this title; it becomes the current one
//   wait-dialog ID         ... for one that has a control ID
//   find-window TITLE      ... for one with this title, shown or hidden
//   wait-box               ... for a message box (icon 1088 and text 65535)
//   wait-text ID TEXT      wait until control ID of the current window shows TEXT
//   wait-gone              wait until the current window is hidden or destroyed
//   wait-exit              wait for the program to end    -> exit CODE
//   wait-file PATH         wait until PATH exists (a test's signal that it
//                          has done its part, or a program's sign of life)
//   windows                list the program's top-level windows
//                                                  -> window CLASS VISIBLE "TITLE"
//   children               list the current window's controls in their order
//                                                  -> child ID CLASS "TEXT"
//   title                  -> title "TEXT"
//   text ID                -> text ID "TEXT"
//   box-text               the current message box's text -> box-text "TEXT"
//   class ID               -> class ID NAME
//   style [ID]             -> style [ID] 0xHEX   (GWL_STYLE; the window's own
//                          without ID)
//   bar ID                 -> bar ID MIN MAX POS
//   visible [ID]           -> visible [ID] 0|1
//   enabled [ID]           -> enabled [ID] 0|1
//   press ID               click button ID (BM_CLICK, posted)
//   type ID TEXT           type TEXT into control ID, one WM_CHAR per character
//                          at the end of its text, so that the control's own
//                          limits apply
//   key NAME               post a key press (ESCAPE, RETURN, TAB or a virtual
//                          key number) to the focused control of the window
//   send MSG [W [L]]       send a message to the current window -> result N
//   send-item ID MSG [W [L]]  ... to its control ID               -> result N
//   post MSG [W [L]]       post a message to the current window
//   sleep MS
//   screenshot FILE        save the current window as a 24-bit BMP
//   echo TEXT              -> echo "TEXT"  (a marker in the output)
//   clock                  -> clock MS  (the system's millisecond count, to
//                          time the commands between two of them)
//   kill                   end the program at once
//
// MSG is a number or one of the names in kMessages. Texts are printed as
// UTF-8 in double quotes with \n, \r, \t, \", \\ and \xNN escapes; the
// program's own code page (1250 in the tests) is converted. A command that
// fails prints "error: COMMAND: REASON", ends the program and the driver
// with exit code 1. A program still running at the end is killed, and
// "killed" is printed.
//
// With DRIVER_TEXTS=ascii in the environment, every text read from a window
// or looked for has each non-ASCII character replaced by "?": that is how
// the window texts of a 32-bit program under wine64's WoW64 mode read back,
// so the tests of the 32-bit build compare texts on their ASCII parts.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/windows/report.h"

namespace {

PROCESS_INFORMATION g_program;
HWND g_current;
DWORD g_timeout = 10000;
bool g_ascii_texts;   // DRIVER_TEXTS=ascii
std::string g_error;  // set by a failing command

const struct {
    const char* name;
    UINT value;
} kMessages[] = {
    {"WM_CLOSE", WM_CLOSE},
    {"WM_COMMAND", WM_COMMAND},
    {"WM_QUERYENDSESSION", WM_QUERYENDSESSION},
    {"WM_ENDSESSION", WM_ENDSESSION},
    {"WM_KEYDOWN", WM_KEYDOWN},
    {"WM_KEYUP", WM_KEYUP},
    {"WM_SYSCOMMAND", WM_SYSCOMMAND},
    {"EM_GETLIMITTEXT", EM_GETLIMITTEXT},
    {"EM_GETPASSWORDCHAR", EM_GETPASSWORDCHAR},
    {"PBM_GETPOS", PBM_GETPOS},
};

bool Fail(const std::string& reason)
{
    g_error = reason;
    return false;
}

// Splits off the first word of rest.
std::string Word(std::string& rest)
{
    size_t start = rest.find_first_not_of(' ');
    if (start == std::string::npos) {
        rest.clear();
        return "";
    }
    size_t end = rest.find(' ', start);
    std::string word = rest.substr(start, end - start);
    rest = end == std::string::npos ? "" : rest.substr(end + 1);
    return word;
}

bool Number(const std::string& word, long& value)
{
    char* end;
    value = std::strtol(word.c_str(), &end, 0);
    return !word.empty() && *end == '\0';
}

std::string Expand(const std::string& line)
{
    std::string out;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '$') {
            out += line[i];
            continue;
        }
        size_t start = i + 1, end;
        if (start < line.size() && line[start] == '{') {
            end = line.find('}', start);
            if (end == std::string::npos)
                end = line.size();
            ++start;
        } else {
            end = start;
            while (end < line.size() && (isalnum((unsigned char)line[end]) || line[end] == '_'))
                ++end;
        }
        char value[4096] = "";
        GetEnvironmentVariableA(line.substr(start, end - start).c_str(), value, sizeof value);
        out += value;
        i = end < line.size() && line[end] == '}' ? end : end - 1;
    }
    return out;
}

bool Running()
{
    return g_program.hProcess && WaitForSingleObject(g_program.hProcess, 0) == WAIT_TIMEOUT;
}

// Polls until found() holds or the timeout passes.
template <typename Test>
bool WaitFor(Test found)
{
    for (DWORD waited = 0;; waited += 50) {
        if (found())
            return true;
        if (waited >= g_timeout)
            return false;
        Sleep(50);
    }
}

std::vector<HWND> ProgramWindows()
{
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM list) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid == g_program.dwProcessId)
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// Waits for a top-level window of the program that matches, by default
// only among the shown ones, and makes it the current one.
template <typename Test>
bool WaitForWindow(Test matches, const std::string& what, bool shown_only = true)
{
    bool found = WaitFor([&] {
        for (HWND window : ProgramWindows()) {
            if ((!shown_only || IsWindowVisible(window)) && matches(window)) {
                g_current = window;
                return true;
            }
        }
        return false;
    });
    return found || Fail("no window " + what);
}

// text in the code page of the process, as the tests compare it.
std::string Compared(std::string text)
{
    if (g_ascii_texts) {
        for (char& c : text) {
            if ((unsigned char)c >= 0x80)
                c = '?';
        }
    }
    return text;
}

std::string WindowText(HWND window)
{
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return Compared(text);
}

// The current window, or its control id when given.
bool Target(const std::string& id_word, HWND& target)
{
    if (!g_current || !IsWindow(g_current))
        return Fail("no current window");
    target = g_current;
    if (id_word.empty())
        return true;
    long id;
    if (!Number(id_word, id))
        return Fail("bad control id " + id_word);
    target = GetDlgItem(g_current, int(id));
    return target || Fail("no control " + id_word);
}

bool Message(std::string& rest, UINT& message, WPARAM& wparam, LPARAM& lparam)
{
    std::string name = Word(rest), w = Word(rest), l = Word(rest);
    long value = 0, wvalue = 0, lvalue = 0;
    bool known = Number(name, value);
    for (const auto& m : kMessages) {
        if (name == m.name) {
            value = long(m.value);
            known = true;
        }
    }
    if (!known || (!w.empty() && !Number(w, wvalue)) || (!l.empty() && !Number(l, lvalue)))
        return Fail("bad message " + name + " " + w + " " + l);
    message = UINT(value);
    wparam = WPARAM(wvalue);
    lparam = LPARAM(lvalue);
    return true;
}

bool SaveBitmap(HWND window, const std::string& path)
{
    RECT r;
    GetWindowRect(window, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(size_t(stride) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), (BITMAPINFO*)&info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = DWORD(file.bfOffBits + pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return Fail("cannot write " + path);
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0 || Fail("cannot write " + path);
}

bool Start(const std::string& command_line)
{
    if (Running())
        return Fail("a program is running");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    for (HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    std::string line = command_line;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &g_program))
        return Fail("cannot start, error " + std::to_string(GetLastError()));
    g_current = nullptr;
    return true;
}

bool Key(const std::string& name)
{
    long vk = 0;
    if (name == "ESCAPE")
        vk = VK_ESCAPE;
    else if (name == "RETURN")
        vk = VK_RETURN;
    else if (name == "TAB")
        vk = VK_TAB;
    else if (!Number(name, vk))
        return Fail("bad key " + name);
    HWND target;
    if (!Target("", target))
        return false;
    // Keys go to the focused control, where the dialog's own loop finds them.
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(target, nullptr), &gui) && gui.hwndFocus)
        target = gui.hwndFocus;
    PostMessageA(target, WM_KEYDOWN, WPARAM(vk), 1);
    PostMessageA(target, WM_KEYUP, WPARAM(vk), LPARAM(0xC0000001));
    return true;
}

bool Run(const std::string& line);

bool RunFile(const std::string& path)
{
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return Fail("cannot read " + path);
    char buffer[4096];
    bool ok = true;
    while (ok && std::fgets(buffer, sizeof buffer, in)) {
        std::string line = buffer;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (!line.empty() && line[0] != '#' && !Run(FromUtf8(line))) {
            g_error = line + ": " + g_error;  // main names only the file
            ok = false;
        }
    }
    std::fclose(in);
    return ok;
}

bool Run(const std::string& raw)
{
    std::string rest = Expand(raw);
    std::string command = Word(rest);
    HWND target;
    long value;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;

    if (command.empty())
        return true;
    if (command[0] == '@')
        return RunFile(command.substr(1));
    if (command == "start")
        return Start(rest);
    if (command == "env") {
        std::string name = Word(rest);
        return SetEnvironmentVariableA(name.c_str(), rest.c_str()) || Fail("cannot set " + name);
    }
    if (command == "timeout") {
        if (!Number(Word(rest), value))
            return Fail("bad timeout");
        g_timeout = DWORD(value);
        return true;
    }
    if (command == "wait-window" || command == "find-window")
        return WaitForWindow([&](HWND w) { return WindowText(w) == Compared(rest); }, rest,
                             command == "wait-window");
    if (command == "wait-dialog") {
        std::string id = Word(rest);
        if (!Number(id, value))
            return Fail("bad control id " + id);
        return WaitForWindow([&](HWND w) { return GetDlgItem(w, int(value)) != nullptr; },
                             "with control " + id);
    }
    if (command == "wait-box") {
        return WaitForWindow(
            [](HWND w) { return GetDlgItem(w, 1088) && GetDlgItem(w, 0xFFFF); },
            "for a message box");
    }
    if (command == "wait-text") {
        std::string id = Word(rest);
        if (!Target(id, target))
            return false;
        return WaitFor([&] { return WindowText(target) == Compared(rest); }) ||
               Fail("text of " + id + " is " + Quote(WindowText(target).c_str()));
    }
    if (command == "wait-gone") {
        if (!Target("", target))
            return false;
        return WaitFor([&] { return !IsWindow(target) || !IsWindowVisible(target); }) ||
               Fail("window still shown");
    }
    if (command == "wait-exit") {
        if (!g_program.hProcess)
            return Fail("nothing started");
        if (WaitForSingleObject(g_program.hProcess, g_timeout) != WAIT_OBJECT_0)
            return Fail("program still running");
        DWORD code = 0;
        GetExitCodeProcess(g_program.hProcess, &code);
        Report("exit %lu", code);
        return true;
    }
    if (command == "wait-file") {
        auto exists = [&] { return GetFileAttributesA(rest.c_str()) != INVALID_FILE_ATTRIBUTES; };
        return WaitFor(exists) || Fail("no file " + rest);
    }
    if (command == "windows") {
        for (HWND w : ProgramWindows()) {
            char name[256] = "";
            GetClassNameA(w, name, sizeof name);
            Report("window %s %d %s", name, IsWindowVisible(w) ? 1 : 0,
                   Quote(WindowText(w).c_str()).c_str());
        }
        return true;
    }
    if (command == "children") {
        if (!Target("", target))
            return false;
        for (HWND child = GetWindow(target, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            char name[256] = "";
            GetClassNameA(child, name, sizeof name);
            Report("child %d %s %s", GetDlgCtrlID(child), name,
                   Quote(WindowText(child).c_str()).c_str());
        }
        return true;
    }
    if (command == "title") {
        if (!Target("", target))
            return false;
        Report("title %s", Quote(WindowText(target).c_str()).c_str());
        return true;
    }
    if (command == "text" || command == "box-text") {
        std::string id = command == "text" ? Word(rest) : "65535";
        if (!Target(id, target))
            return false;
        std::string label = command == "text" ? "text " + id : command;
        Report("%s %s", label.c_str(), Quote(WindowText(target).c_str()).c_str());
        return true;
    }
    if (command == "class") {
        std::string id = Word(rest);
        char name[256] = "";
        if (!Target(id, target))
            return false;
        GetClassNameA(target, name, sizeof name);
        Report("class %s %s", id.c_str(), name);
        return true;
    }
    if (command == "style") {
        std::string id = Word(rest);
        if (!Target(id, target))
            return false;
        Report("style%s%s 0x%08lx", id.empty() ? "" : " ", id.c_str(),
               (unsigned long)GetWindowLongA(target, GWL_STYLE));
        return true;
    }
    if (command == "bar") {
        std::string id = Word(rest);
        if (!Target(id, target))
            return false;
        Report("bar %s %ld %ld %ld", id.c_str(), (long)SendMessageA(target, PBM_GETRANGE, TRUE, 0),
               (long)SendMessageA(target, PBM_GETRANGE, FALSE, 0),
               (long)SendMessageA(target, PBM_GETPOS, 0, 0));
        return true;
    }
    if (command == "visible" || command == "enabled") {
        std::string id = Word(rest);
        if (!Target(id, target))
            return false;
        bool state = command == "visible" ? IsWindowVisible(target) : IsWindowEnabled(target);
        Report("%s%s%s %d", command.c_str(), id.empty() ? "" : " ", id.c_str(), state ? 1 : 0);
        return true;
    }
    if (command == "press") {
        if (!Target(Word(rest), target))
            return false;
        PostMessageA(target, BM_CLICK, 0, 0);
        return true;
    }
    if (command == "type") {
        if (!Target(Word(rest), target))
            return false;
        // Each at the end of the text, where a user's caret is: an edit
        // control of a 32-bit program under WoW64 leaves its caret at the
        // start after each character.
        for (unsigned char c : rest) {
            LRESULT end = SendMessageA(target, WM_GETTEXTLENGTH, 0, 0);
            SendMessageA(target, EM_SETSEL, WPARAM(end), LPARAM(end));
            SendMessageA(target, WM_CHAR, WPARAM(c), 1);
        }
        return true;
    }
    if (command == "key")
        return Key(Word(rest));
    if (command == "send" || command == "send-item" || command == "post") {
        std::string id = command == "send-item" ? Word(rest) : "";
        if (!Target(id, target) || !Message(rest, message, wparam, lparam))
            return false;
        if (command == "post") {
            PostMessageA(target, message, wparam, lparam);
            return true;
        }
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(target, message, wparam, lparam, SMTO_NORMAL, g_timeout,
                                 &result))
            return Fail("no answer");
        Report("result %ld", (long)result);
        return true;
    }
    if (command == "sleep") {
        if (!Number(Word(rest), value))
            return Fail("bad time");
        Sleep(DWORD(value));
        return true;
    }
    if (command == "screenshot")
        return Target("", target) && SaveBitmap(target, rest);
    if (command == "echo") {
        Report("echo %s", Quote(rest.c_str()).c_str());
        return true;
    }
    if (command == "clock") {
        Report("clock %lu", (unsigned long)GetTickCount());
        return true;
    }
    if (command == "kill") {
        if (Running())
            TerminateProcess(g_program.hProcess, 1);
        return true;
    }
    return Fail("unknown command");
}

}  // namespace

int main(int argc, char** argv)
{
    char texts[8] = "";
    GetEnvironmentVariableA("DRIVER_TEXTS", texts, sizeof texts);
    g_ascii_texts = std::string(texts) == "ascii";
    int status = 0;
    for (int i = 1; i < argc && status == 0; ++i) {
        if (!Run(argv[i])) {
            Report("error: %s: %s", Quote(argv[i]).c_str(), g_error.c_str());
            status = 1;
        }
    }
    if (Running()) {
        TerminateProcess(g_program.hProcess, 1);
        WaitForSingleObject(g_program.hProcess, INFINITE);
        Report("killed");
    }
    return status;
}
