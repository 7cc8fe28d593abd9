// Output of the Windows test programs: one report per line on stdout,
// texts quoted and in UTF-8, so that the tests compare them with what they
// write in their own scripts.
#pragma once

#include <string>

// text (code page of the process, 1250 in the tests) as UTF-8 in double
// quotes; \n \r \t \" \\ escaped, other control bytes as \xNN.
std::string Quote(const char* text);

// Converts UTF-8 to the process's code page (for texts typed or compared).
std::string FromUtf8(const std::string& text);

// Prints one line and flushes it, since tests read it while we run.
void Report(const char* format, ...) __attribute__((format(printf, 1, 2)));
