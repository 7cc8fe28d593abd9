// The progress window of the native tests: a window thread with a real
// queue that carries out the worker's commands as the Windows window does
// (sent commands wait until handled, posted ones are handled later in
// order), keeps a log of what it handled and of the boxes and prompts the
// worker showed, and answers those from a script.
#pragma once

#include <stdint.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "extract/port.h"

// Log entries that are not window commands.
enum {
    EVENT_MESSAGE_BOX = -1,  // number: the BOX_ style; text, caption
    EVENT_PASSWORD = -2,     // number: the scripted result
    EVENT_END_SESSION = -3,  // number: the notice's wparam
};

// When the end-of-session notice reaches the window.
enum EndSession {
    END_SESSION_NEVER,
    END_SESSION_AT_SHOW,      // queued at the first CMD_SHOW_FILE: the worker goes on writing
    END_SESSION_AT_PASSWORD,  // while the password prompt is open
    END_SESSION_AT_QUESTION,  // while the volume question is open
    // Once the decode of the first block file shown has begun (its plain
    // file is there): the window waits for that on its own thread.
    END_SESSION_AT_DECODE,
    // As the worker posts CMD_HIDE, after the last decode and before the
    // start: the worker goes on once the window has handled the notice.
    END_SESSION_AT_HIDE,
    // As the worker calls on the system to start the setup program: the
    // worker goes on once the window has taken the extraction over, or
    // after 200 ms if the window is still waiting for the worker then.
    END_SESSION_AT_START,
};

// No POSIX system refuses a start for want of elevation: tests say when
// Windows under UAC would, and the port's starts answer so.
struct ElevationHook {
    int required;         // StartProcess answers SYS_START_NEEDS_ELEVATION
    int declined;         // StartElevated fails, as when the user declines
    int elevated_starts;  // counts the calls of StartElevated that started
};

// All zero at start: the port starts programs as a plain POSIX system does.
// Set it before the thread that starts the program runs.
extern ElevationHook g_elevation;

// path (backslashes, as the worker writes paths) with the POSIX layer's
// separator.
std::string NativePath(const char* path);

struct WindowEvent {
    int id;               // a CMD_ id or an EVENT_ id
    intptr_t number;      // CMD_SET_TOTAL's count, a box's style, a prompt's result
    std::string text;     // CMD_SHOW_FILE's / CMD_SET_TITLE's text, a box's text
    std::string caption;  // a box's caption
};

class TestWindow {
  public:
    // Starts the window thread with the window model reset and the
    // extraction reset, as WM_INITDIALOG leaves them.
    TestWindow();
    // Stops the window thread once it has handled everything queued.
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    // Does what CMD_START_WORKER does: raises the busy count to 1, stores
    // this window in *handle (g_window) and runs procedure(handle) on a
    // thread of its own (the worker). Returns when the worker has ended and
    // the window has handled every command it was sent or posted; the
    // window thread is then gone.
    void RunWorker(unsigned long (*procedure)(void*), WindowRef* handle);

    // The script; set before RunWorker. answer_box runs on the worker's
    // thread, as the modal box would, and returns the button (ANSWER_YES or
    // anything else); the default answers No. on_show_file runs on the
    // window's thread while CMD_SHOW_FILE is handled.
    std::function<int(const WindowEvent& box)> answer_box;
    std::function<void(const char* name)> on_show_file;
    int password_result = 2;    // AskPassword's result (1: OK)
    std::string password_text;  // copied to the buffer when the result is 1
    int cancel_at_show = 0;     // the user cancels at this CMD_SHOW_FILE (1, 2, ...)
    // The end of the session: the window handles the notice on its own
    // thread as WM_ENDSESSION does (RemoveExtraction, whatever the wparam).
    EndSession end_session = END_SESSION_NEVER;
    int end_session_wparam = 0;
    // END_SESSION_AT_START: whether the window had taken the extraction over
    // and removed it before the start went ahead.
    bool removed_before_start = false;

    // What happened, read after RunWorker.
    std::vector<WindowEvent> log;  // commands in handling order, boxes and prompts
    int bar_position = 0;
    int bar_maximum = 0;
    std::string last_shown;
    std::string title;  // the caption until CMD_SET_TITLE
    bool hidden = false;
    bool closed = false;  // ended (CMD_CLOSE or a cancel) once not busy

    // The port's entry points (extract/port.h) for this window.
    void Send(int command, intptr_t argument);
    void Post(int command, intptr_t argument);
    int Box(const char* text, const char* caption, unsigned style);
    int Password(char* buffer);
    // The port's start calls it, on the worker's thread, when the window is
    // scripted to end the session then (END_SESSION_AT_START).
    void EndSessionAtStart();

  private:
    enum {
        FLUSH = 0,          // a command that only waits for those before it
        END_SESSION = -1,   // the end-of-session notice
        AWAIT_DECODE = -2,  // argument: a new std::string, the plain file to wait for
    };

    struct Queued {
        int command;
        intptr_t argument;
        bool sent;
        bool handled;
    };

    void Loop();
    bool HandleNext(std::unique_lock<std::mutex>& lock);
    void Handle(int command, intptr_t argument);
    void Close();
    void Flush();
    void EndSessionAt(EndSession moment);
    void EndSessionOnceThere(const std::string& plain);
    void Record(WindowEvent event);
    void Stop();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Queued*> queue_;
    bool stopping_ = false;
    bool removed_ = false;         // the notice has been handled
    bool decode_awaited_ = false;  // END_SESSION_AT_DECODE: the block file is known
    int shows_ = 0;
    std::thread thread_;
};
