// What the POSIX layer offers beyond platform.h: the stand-ins for system
// settings that Windows takes from the machine, so that tests can set them.
#pragma once

// Makes code_page the ANSI code page that SysIsLeadByte answers for: 932,
// 936, 949 and 950 have double-byte characters, every other one none. The
// layer starts with 1250.
void SysSetCodePage(unsigned code_page);
