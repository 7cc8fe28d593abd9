// How the worker reaches the progress window. On Windows these are window
// messages, message boxes and the password dialog owned by the window; the
// native build has a window thread with a real queue and scripted answers,
// so that the worker's whole logic runs in native tests.
#pragma once

#include <stdint.h>

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

// Loads message text id (an IDS_ value) into buffer of size bytes, in code
// page 1250. Returns the length, 0 when there is no such text.
int LoadText(int id, char* buffer, int size);
