// How the worker reaches the progress window, and the few system services
// that only the installer itself may use for real: the pause that paces the
// window, the setup program's start and the delete of a decoded block file.
// On Windows these are window messages, message boxes and the password
// dialog owned by the window, and the system's own calls; the native build
// has a window thread with a real queue and scripted answers, so that the
// worker's whole logic runs in native tests; the builder's port starts
// nothing from an archive and records what the installer would start.
#pragma once

#include <stdint.h>

#include "platform/platform.h"

typedef void* WindowRef;  // the progress window (HWND on Windows)

// Delivers a command and waits until the window's thread has handled it
// (SendMessageA). argument may point into the caller's memory.
void SendCommand(WindowRef window, int command, intptr_t argument);

// Queues a command and returns at once (PostMessageA); queued commands are
// handled in posting order.
void PostCommand(WindowRef window, int command, intptr_t argument);

// Shows a modal message box owned by window with one of the BOX_ styles and
// waits for the answer. Returns the button pressed (ANSWER_YES for Yes).
int ShowMessageBox(WindowRef window, const char* text, const char* caption, unsigned style);

// Runs the password prompt owned by window. Returns 1 when the user
// confirmed (buffer, 48 bytes, holds 0 to 47 characters and a NUL) and any
// other value when the user declined (buffer untouched).
int AskPassword(WindowRef window, char* buffer);

// Loads message text id (an IDS_ value) into buffer of size bytes, in the
// ANSI code page. Returns the length, 0 when there is no such text.
int LoadText(int id, char* buffer, int size);

// Pauses the worker after it has shown a piece, so that the name can be
// read (SysSleep).
void PauseWorker(uint32_t milliseconds);

// Start the setup program and wait for it: the contracts of
// SysStartProcess, SysStartElevated and SysWaitProcess. A port that starts
// nothing answers as if the program had started and ended at once.
int StartProcess(const char* program, char* command_line, const char* directory, SysProcess* process);
int StartElevated(const char* program, const char* arguments, const char* directory, SysProcess* process);
void WaitProcess(SysProcess process);

// Deletes a block file once it is decoded (SysDeleteFile). Returns non-zero
// when it is gone from path.
int DeleteDecodedFile(const char* path);
