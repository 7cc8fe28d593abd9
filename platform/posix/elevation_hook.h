// Lets native tests see the installer as Windows under UAC treats it: no
// POSIX system refuses a start for want of elevation, so the tests say when
// it does.
#pragma once

struct SysElevationHook {
    int required;         // SysStartProcess answers SYS_START_NEEDS_ELEVATION
    int declined;         // SysStartElevated fails, as when the user declines
    int elevated_starts;  // counts the calls of SysStartElevated that started
};

// All zero at start: the layer behaves as a plain POSIX system. Set it
// before the thread that starts the program runs.
extern SysElevationHook g_sys_elevation;
