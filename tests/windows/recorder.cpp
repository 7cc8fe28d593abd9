// A setup program for the installer's end-to-end tests: it records what a
// setup program finds when the installer starts it, then waits to be let go.
//
// RECORDER_OUT   file that receives the record (written whole, then renamed
//                into place, so that a file that exists is complete):
//                  command_line <the process's command line>
//                  current_directory <the current directory>
//                  program <the recorder's own path>
//                  file <path below the recorder's directory> <size>  (sorted)
// RECORDER_COPY  optional directory into which the files seen are copied,
//                so that the test can compare them with what was packed
// RECORDER_HOLD  optional file: the recorder ends only once it exists (at
//                most 60 s), so that the test can look at the installer
//                while its setup program runs
// The exit code is 0.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Seen {
    std::string name;  // below the root, backslash-separated
    unsigned long long size;
};

std::string Environment(const char* name) {
    char value[1024];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length && length < sizeof value ? std::string(value, length) : std::string();
}

void Walk(const std::string& root, const std::string& below, std::vector<Seen>& seen) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((root + below + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Walk(root, below + name + "\\", seen);
        } else {
            seen.push_back({below + name, (unsigned long long)found.nFileSizeHigh << 32 | found.nFileSizeLow});
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// Creates every missing directory on the way to file.
void MakeParents(const std::string& file) {
    for (size_t at = file.find('\\', 3); at != std::string::npos; at = file.find('\\', at + 1))
        CreateDirectoryA(file.substr(0, at).c_str(), NULL);
}

void WriteRecord(const std::string& path, const std::string& text) {
    std::string temporary = path + ".part";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), (DWORD)text.size(), &written, NULL);
    CloseHandle(file);
    MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char buffer[MAX_PATH];
    std::string record = std::string("command_line ") + GetCommandLineA() + "\n";
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    record += "current_directory " + std::string(buffer, length < sizeof buffer ? length : 0) + "\n";
    length = GetModuleFileNameA(NULL, buffer, sizeof buffer);
    std::string program(buffer, length < sizeof buffer ? length : 0);
    record += "program " + program + "\n";

    std::string root = program.substr(0, program.rfind('\\') + 1);
    std::vector<Seen> seen;
    Walk(root, "", seen);
    std::sort(seen.begin(), seen.end(), [](const Seen& a, const Seen& b) { return a.name < b.name; });
    std::string copy = Environment("RECORDER_COPY");
    for (const Seen& file : seen) {
        record += "file " + file.name + " " + std::to_string(file.size) + "\n";
        if (copy.empty()) continue;
        std::string target = copy + "\\" + file.name;
        MakeParents(target);
        CopyFileA((root + file.name).c_str(), target.c_str(), FALSE);
    }

    std::string out = Environment("RECORDER_OUT");
    if (!out.empty()) WriteRecord(out, record);

    std::string hold = Environment("RECORDER_HOLD");
    for (int waited = 0; !hold.empty() && waited < 60000; waited += 50) {
        if (GetFileAttributesA(hold.c_str()) != INVALID_FILE_ATTRIBUTES) break;
        Sleep(50);
    }
    return 0;
}
