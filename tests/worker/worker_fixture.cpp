#include "tests/worker/worker_fixture.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>

#include "extract/worker.h"
#include "resources/texts.h"
#include "extract/window_model.h"
#include "tests/support/archive_writer.h"

namespace fs = std::filesystem;

static std::string MessageName(const std::string& text)
{
    static const struct {
        int id;
        const char* name;
    } messages[] = {{IDS_ERROR, "IDS_ERROR"},
                    {IDS_INCOMPLETE, "IDS_INCOMPLETE"},
                    {IDS_NO_SPACE, "IDS_NO_SPACE"},
                    {IDS_BAD_PASSWORD, "IDS_BAD_PASSWORD"}};
    for (const auto& message : messages)
        if (text == CzechText(message.id))
            return message.name;
    return "unknown text: " + text;
}

static std::string Render(const WindowEvent& event)
{
    switch (event.id) {
    case CMD_BUSY_INC: return "busy+";
    case CMD_BUSY_DEC: return "busy-";
    case CMD_SET_TOTAL: return "total " + std::to_string(event.number);
    case CMD_SET_TITLE: return "title " + event.text;
    case CMD_SHOW_FILE: return "show " + event.text;
    case CMD_HIDE: return "hide";
    case CMD_CLOSE: return "close";
    case EVENT_PASSWORD: return "password";
    case EVENT_END_SESSION: return "end session " + std::to_string(event.number);
    case EVENT_MESSAGE_BOX:
        if (event.caption != CzechText(IDS_CAPTION))
            return "box with caption " + event.caption;
        if (event.number == BOX_ERROR)
            return "error " + MessageName(event.text);
        if (event.number == BOX_QUESTION)
            return "question";
        return "box of style " + std::to_string(event.number);
    }
    return "command " + std::to_string(event.id);
}

std::string ErrorBox(int id)
{
    return "error " + MessageName(CzechText(id));
}

void WorkerTest::SetUp()
{
    root_ = scratch_.path().string();
    temp_ = root_ + "/temp";
    out_ = root_ + "/out";
    fs::create_directory(temp_);
    fs::create_directory(out_);
    saved_cwd_ = fs::current_path();
    if (const char* tmpdir = getenv("TMPDIR"))
        saved_tmpdir_ = tmpdir;
    setenv("TMPDIR", temp_.c_str(), 1);
    setenv("ROZBAL_RECORD", Record().c_str(), 1);
    // What start-up sets.
    snprintf(g_archive_path, sizeof g_archive_path, "%s", Archive().c_str());
}

void WorkerTest::TearDown()
{
    fs::current_path(saved_cwd_);
    if (saved_tmpdir_)
        setenv("TMPDIR", saved_tmpdir_->c_str(), 1);
    else
        unsetenv("TMPDIR");
}

void WorkerTest::LengthenTemp(size_t length)
{
    temp_ += "/" + std::string(length - temp_.size() - 1, 'd');
    fs::create_directory(temp_);
    setenv("TMPDIR", temp_.c_str(), 1);
}

std::string WorkerTest::Volume(int n) const
{
    char name[32];
    snprintf(name, sizeof name, "/setup.e%02d", n);
    return out_ + name;
}

std::string WorkerTest::Record() const
{
    return out_ + "/record.txt";
}

void WorkerTest::MarkExecutable(const std::string& shown, const std::string& file)
{
    window.on_show_file = [shown, file](const char* name) {
        if (shown != name)
            return;
        int fd =
            open((NativePath(g_extract_dir) + NativePath(file.c_str())).c_str(), O_WRONLY | O_CREAT, 0755);
        if (fd >= 0)
            close(fd);
    };
}

std::string WorkerTest::SetupPiece(uint32_t flags, const std::string& name)
{
    MarkExecutable(name, name);
    return Piece(flags, name, ReadFile(RECORD_SETUP_PATH));
}

void WorkerTest::Run(const std::string& installer)
{
    WriteFile(Archive(), installer);
    RunWorker();
}

void WorkerTest::RunWorker()
{
    window.RunWorker(ExtractWorker, &g_window);
    for (const WindowEvent& event : window.log)
        log.push_back(Render(event));
    extract_dir = NativePath(g_extract_dir);
    if (!extract_dir.empty() && fs::is_directory(extract_dir)) {
        for (const auto& entry : fs::recursive_directory_iterator(extract_dir)) {
            std::string relative = fs::relative(entry.path(), extract_dir).string();
            extracted[relative] = entry.is_directory() ? "<dir>" : ReadFile(entry.path().string());
        }
    }
    RemoveExtraction();
    if (expect_temp_empty) {
        EXPECT_TRUE(fs::is_empty(temp_)) << "left in the temporary directory: "
                                         << fs::directory_iterator(temp_)->path();
    }
}
