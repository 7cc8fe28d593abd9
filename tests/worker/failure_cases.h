// The installers the worker must refuse, shared by the worker's own tests
// and by the check that the builder's verify refuses the same ones.
#pragma once

#include <stdint.h>

#include <ostream>
#include <string>
#include <vector>

// Where the worker records that it stopped: the reason (a STOP_ value), the
// piece, the offset of its record and its volume.
struct StopPlace {
    int reason;
    unsigned piece;
    int32_t offset;
    unsigned volume;
};

// What the log holds after "busy+": the commands up to the box, then the
// box, "busy-" and "close" follow.
struct FailureCase {
    const char* what;
    std::string installer;
    std::vector<std::string> before_box;
    int message;
    StopPlace stop;
    const char* verdict;  // what verify says: part of its message
};

extern const std::vector<FailureCase> kFailures;

// A case is known by its description, in failure messages and in the
// test names that ctest shows; its bytes say nothing to a reader.
inline void PrintTo(const FailureCase& failure, std::ostream* out)
{
    *out << failure.what;
}

// Names that would put a file outside the extraction directory.
extern const std::vector<const char*> kHostileNames;

// An installer whose first piece, "inside\\ok", is harmless and whose
// second and last piece is called name.
std::string HostileInstaller(const char* name);
