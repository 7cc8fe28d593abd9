#include "extract/window_model.h"

#include <string.h>

int g_busy;
std::atomic<int> g_cancel;
WindowRef g_window;
WindowView g_view;

static int g_ending;  // set once CMD_CLOSE or a cancel came

void WindowReset(void)
{
    g_busy = 0;
    g_cancel = 0;
    g_ending = 0;
    memset(&g_view, 0, sizeof g_view);
}

// Copies name into the view, cut to fit, noting whether what is shown
// changes.
static int ShowFile(const char* name)
{
    char* shown = g_view.shown;
    size_t at = 0;
    int changed = 0;
    for (; name[at] && at < sizeof g_view.shown - 1; at++) {
        changed |= shown[at] != name[at];
        shown[at] = name[at];
    }
    changed |= shown[at] != '\0';
    shown[at] = '\0';
    if (!changed)
        return 0;
    g_view.bar_position++;
    return CMD_SHOW_FILE;
}

// The caption is loaded straight after the title and its blank; the text
// loader cuts it to the room left and always terminates it.
static int SetTitle(const char* title)
{
    char* text = g_view.title;
    size_t length = 0;
    for (; title[length] && length < sizeof g_view.title - 2; length++)
        text[length] = title[length];
    text[length++] = ' ';
    text[length] = '\0';
    LoadText(IDS_CAPTION, text + length, (int)(sizeof g_view.title - length));
    return CMD_SET_TITLE;
}

int WindowCommand(int command, intptr_t argument)
{
    switch (command) {
    case CMD_BUSY_INC: g_busy++; return 0;
    case CMD_BUSY_DEC: return --g_busy <= 0 && g_ending ? CMD_BUSY_DEC : 0;
    case CMD_SET_TOTAL:
        g_view.bar_range = (int)(argument & 0xFFFF);
        g_view.bar_position = 0;
        return CMD_SET_TOTAL;
    case CMD_SHOW_FILE: return ShowFile((const char*)argument);
    case CMD_SET_TITLE: return SetTitle((const char*)argument);
    case CMD_CLOSE: g_ending = 1; return CMD_CLOSE;
    case CMD_OK:
    case CMD_CANCEL:
        g_ending = 1;
        if (g_busy > 0)
            g_cancel = 1;
        return CMD_CANCEL;
    }
    return command;
}
