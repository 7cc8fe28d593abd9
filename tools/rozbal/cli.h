// The command line of rozbal: commands, options and help texts.
#pragma once

#include "tools/rozbal/inspect.h"
#include "tools/rozbal/pack.h"

#include <cstdint>
#include <string>
#include <vector>

struct CommandLine {
    std::string command;  // pack, list, verify, extract; empty with help for the overview
    bool help = false;
    bool version = false;  // --version: only that, whatever else is given
    PackOptions pack;
    ReadOptions read;
};

// Parses the arguments (UTF-8, the program's name first). Throws UsageError
// for an unknown command or option, a missing or surplus argument, or a bad
// value.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// What rozbal --version prints: rozbal's version and the zlib the stubs carry.
std::string VersionText();

// The help text of `command`, or the overview for "".
const char* HelpText(const std::string& command);

// "1440K", "100M", "2G" (binary multiples) or a plain byte count. Throws
// UsageError for anything else or a value over `largest`.
uint64_t ParseSize(const std::string& text, uint64_t largest);
