// Runs the installer's worker, windowless, on arbitrary bytes: the first
// four give how many of the rest are the installer's file, what follows is
// its first volume. Whatever the bytes, the worker must stay inside its
// extraction directory, and removing the extraction must leave the
// temporary directory as it was.
#include "extract/worker.h"
#include "fuzz/temp_input.h"
#include "tools/rozbal/headless.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

void Check(bool holds)
{
    if (!holds)
        abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string temp = TempPath("temp");
    static const fs::path home = fs::path(temp).parent_path();
    static const fs::path start = fs::current_path();  // libFuzzer reads its corpus from here
    fs::create_directory(temp);
    size_t exe_size = size < 4 ? size : std::min<size_t>(ReadLe32(data), size - 4);
    const uint8_t* exe = size < 4 ? data : data + 4;
    std::string archive = WriteTempFile("setup.exe", exe, exe_size);
    WriteTempFile("setup.e01", exe + exe_size, size - (exe - data) - exe_size);

    RunHeadless(archive.c_str(), temp.c_str(), HeadlessOptions());
    RemoveExtraction();
    Check(chdir(start.c_str()) == 0);  // the worker moved into the directories it made

    Check(fs::is_empty(temp));
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(home))
        left.insert(entry.path().filename().string());
    Check(left == std::set<std::string>({"setup.exe", "setup.e01", "temp"}));
    return 0;
}
