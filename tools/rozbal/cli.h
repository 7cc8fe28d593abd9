// The command line of rozbal: commands, options and help texts.
#pragma once

#include "tools/rozbal/inspect.h"
#include "tools/rozbal/pack.h"

#include <cstdint>
#include <string>

struct CommandLine {
    std::string command;  // pack, list, verify, extract; empty with help for the overview
    bool help = false;
    bool version = false;  // rozbal --version
    PackOptions pack;
    ReadOptions read;
};

// Parses argv. Throws UsageError for an unknown command or option, a
// missing or surplus argument, or a bad value.
CommandLine ParseCommandLine(int argc, char** argv);

// What rozbal --version prints: rozbal's version and the zlib the stubs carry.
std::string VersionText();

// The help text of `command`, or the overview for "".
const char* HelpText(const std::string& command);

// "1440K", "100M", "2G" (binary multiples) or a plain byte count. Throws
// UsageError for anything else or a value over `largest`.
uint64_t ParseSize(const std::string& text, uint64_t largest);
