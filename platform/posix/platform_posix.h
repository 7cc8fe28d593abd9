// What the POSIX layer offers beyond platform.h: the stand-ins for system
// settings that Windows takes from the machine, so that tests can set them.
#pragma once

// Makes code_page the ANSI code page that SysIsLeadByte answers for: 932,
// 936, 949 and 950 have double-byte characters, every other one none. The
// layer starts with 1250.
void SysSetCodePage(unsigned code_page);

// No POSIX system refuses a start for want of elevation: tests say when
// Windows under UAC would.
struct SysElevationHook {
    int required;         // SysStartProcess answers SYS_START_NEEDS_ELEVATION
    int declined;         // SysStartElevated fails, as when the user declines
    int elevated_starts;  // counts the calls of SysStartElevated that started
};

// All zero at start: the layer behaves as a plain POSIX system. Set it
// before the thread that starts the program runs.
extern SysElevationHook g_sys_elevation;

// When set, called on the starting thread as SysStartProcess begins, before
// anything is started: tests put there what another thread does at that
// moment.
extern void (*g_sys_before_start)(void);
