// The window port of the native build: the test window's thread and queue,
// and the functions of extract/port.h that the worker calls.
#include "tests/support/native_window/test_window.h"

#include <string.h>
#include <unistd.h>

#include <memory>

#include "resources/texts.h"
#include "extract/window_model.h"
#include "archive/path.h"
#include "extract/extraction.h"

std::string NativePath(const char* path)
{
    std::string native = path;
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}

// The last count characters of text, or all of it.
static const char* SuffixOf(const std::string& text, size_t count)
{
    return text.c_str() + (text.size() > count ? text.size() - count : 0);
}

TestWindow::TestWindow()
{
    WindowReset();
    ResetExtraction();
    title = CzechText(IDS_CAPTION);
    thread_ = std::thread(&TestWindow::Loop, this);
}

TestWindow::~TestWindow()
{
    Stop();
}

void TestWindow::Stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

// The window whose notice comes as the setup program starts.
static TestWindow* g_starting;

void TestWindow::RunWorker(unsigned long (*procedure)(void*), WindowRef* handle)
{
    Send(CMD_BUSY_INC, 0);
    *handle = this;
    if (end_session == END_SESSION_AT_START)
        g_starting = this;
    std::thread worker(procedure, (void*)handle);
    worker.join();
    g_starting = nullptr;
    Stop();
}

void TestWindow::Loop()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (HandleNext(lock)) {}
}

// Waits for the next queued command and handles it, with the lock released
// meanwhile. Returns false when the window is stopping and nothing is left.
bool TestWindow::HandleNext(std::unique_lock<std::mutex>& lock)
{
    changed_.wait(lock, [this] { return !queue_.empty() || stopping_; });
    if (queue_.empty())
        return false;
    Queued* item = queue_.front();
    queue_.pop_front();
    lock.unlock();
    Handle(item->command, item->argument);
    lock.lock();
    if (item->sent) {
        item->handled = true;
        changed_.notify_all();
    } else {
        delete item;
    }
    return true;
}

void TestWindow::Record(WindowEvent event)
{
    std::lock_guard<std::mutex> lock(mutex_);
    log.push_back(std::move(event));
}

// CMD_CLOSE waits as the real window does, carrying out the commands that
// arrive meanwhile, until nothing is busy.
void TestWindow::Close()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (WindowWaiting()) {
        if (!HandleNext(lock))
            return;  // the real window would wait for ever
    }
    closed = true;
}

void TestWindow::Handle(int command, intptr_t argument)
{
    if (command == FLUSH)
        return;
    if (command == AWAIT_DECODE) {
        std::unique_ptr<std::string> plain((std::string*)argument);
        EndSessionOnceThere(*plain);
        return;
    }
    if (command == END_SESSION) {
        Record(WindowEvent{EVENT_END_SESSION, argument, "", ""});
        RemoveExtraction();
        std::lock_guard<std::mutex> lock(mutex_);
        removed_ = true;
        changed_.notify_all();
        return;
    }
    WindowEvent event{command, argument, "", ""};
    // The texts are the sender's memory, valid only while a sent command is
    // handled: copy them now, as the real window does.
    if (command == CMD_SHOW_FILE || command == CMD_SET_TITLE)
        event.text = (const char*)argument;
    Record(event);
    switch (WindowCommand(command, argument)) {
    case CMD_BUSY_DEC: closed = true; break;  // a cancel's wait is over
    case CMD_SET_TOTAL:
    case CMD_SHOW_FILE:
        bar_maximum = g_view.bar_range;
        bar_position = g_view.bar_position;
        last_shown = g_view.shown;
        break;
    case CMD_SET_TITLE: title = g_view.title; break;
    case CMD_HIDE: hidden = true; break;
    case CMD_CLOSE: Close(); break;
    }
    if (command != CMD_SHOW_FILE)
        return;
    if (on_show_file)
        on_show_file(event.text.c_str());
    // The user presses Storno: the window raises the flag and waits for the
    // worker, which sees it after the current piece.
    if (++shows_ == cancel_at_show)
        WindowCommand(CMD_CANCEL, 0);
    if (shows_ == 1 && end_session == END_SESSION_AT_SHOW)
        Post(END_SESSION, end_session_wparam);
    if (end_session == END_SESSION_AT_DECODE && !decode_awaited_ &&
        EqualNoCase(SuffixOf(event.text, 4), ".xxx")) {
        decode_awaited_ = true;
        std::string plain = g_extract_dir + event.text.substr(0, event.text.size() - 4);
        Post(AWAIT_DECODE, (intptr_t) new std::string(NativePath(plain.c_str())));
    }
}

void TestWindow::Send(int command, intptr_t argument)
{
    Queued item{command, argument, true, false};
    std::unique_lock<std::mutex> lock(mutex_);
    queue_.push_back(&item);
    changed_.notify_all();
    changed_.wait(lock, [&item] { return item.handled; });
}

void TestWindow::Post(int command, intptr_t argument)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(new Queued{command, argument, false, false});
        changed_.notify_all();
    }
    if (command == CMD_HIDE)
        EndSessionAt(END_SESSION_AT_HIDE);
}

// The window goes on with its queue while a box or the prompt is open, so
// what the worker posted before may be handled before or after it; the log
// takes the order in which the worker issued them.
void TestWindow::Flush()
{
    Send(FLUSH, 0);
}

// A modal box or prompt leaves the window's queue running: the notice is
// handled while it is open, and the worker goes on only afterwards.
void TestWindow::EndSessionAt(EndSession moment)
{
    if (end_session == moment)
        Send(END_SESSION, end_session_wparam);
}

// The decoder creates the plain file when it begins; the worker sends
// nothing while it decodes, so the window may wait here.
void TestWindow::EndSessionOnceThere(const std::string& plain)
{
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (access(plain.c_str(), F_OK) != 0 && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    Handle(END_SESSION, end_session_wparam);
}

// Runs on the worker's thread, inside StartProcess.
void TestWindow::EndSessionAtStart()
{
    Post(END_SESSION, end_session_wparam);
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(200), [this] { return removed_; });
    removed_before_start = removed_;
}

int TestWindow::Box(const char* text, const char* caption, unsigned style)
{
    WindowEvent box{EVENT_MESSAGE_BOX, (intptr_t)style, text, caption};
    Flush();
    Record(box);
    if (style == BOX_QUESTION)
        EndSessionAt(END_SESSION_AT_QUESTION);
    return answer_box ? answer_box(box) : 7;  // IDNO
}

int TestWindow::Password(char* buffer)
{
    Flush();
    Record(WindowEvent{EVENT_PASSWORD, password_result, "", ""});
    EndSessionAt(END_SESSION_AT_PASSWORD);
    if (password_result == 1) {
        size_t length = password_text.size() < 47 ? password_text.size() : 47;
        memcpy(buffer, password_text.data(), length);
        buffer[length] = 0;
    }
    return password_result;
}

void SendCommand(WindowRef window, int command, intptr_t argument)
{
    static_cast<TestWindow*>(window)->Send(command, argument);
}

void PostCommand(WindowRef window, int command, intptr_t argument)
{
    static_cast<TestWindow*>(window)->Post(command, argument);
}

int ShowMessageBox(WindowRef window, const char* text, const char* caption, unsigned style)
{
    return static_cast<TestWindow*>(window)->Box(text, caption, style);
}

int AskPassword(WindowRef window, char* buffer)
{
    return static_cast<TestWindow*>(window)->Password(buffer);
}

// As LoadStringA: cut to fit, always terminated.
int LoadText(int id, char* buffer, int size)
{
    const char* text = CzechText(id);
    if (size <= 0)
        return 0;
    size_t length = text ? strlen(text) : 0;
    if (length > (size_t)size - 1)
        length = (size_t)size - 1;
    memcpy(buffer, text ? text : "", length);
    buffer[length] = 0;
    return (int)length;
}

void PauseWorker(uint32_t milliseconds)
{
    SysSleep(milliseconds);
}

ElevationHook g_elevation;

// The window's notice, when scripted to come as the program starts, is
// handled before anything is started.
int StartProcess(const char* program, char* command_line, const char* directory, SysProcess* process)
{
    if (g_starting)
        g_starting->EndSessionAtStart();
    if (g_elevation.required)
        return SYS_START_NEEDS_ELEVATION;
    return SysStartProcess(program, command_line, directory, process);
}

// No prompt here: the hook gives the user's answer.
int StartElevated(const char* program, const char* arguments, const char* directory, SysProcess* process)
{
    if (g_elevation.declined || !SysStartElevated(program, arguments, directory, process))
        return 0;
    g_elevation.elevated_starts++;
    return 1;
}

void WaitProcess(SysProcess process)
{
    SysWaitProcess(process);
}

int DeleteDecodedFile(const char* path)
{
    return SysDeleteFile(path);
}
