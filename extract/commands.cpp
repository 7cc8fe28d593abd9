#include "extract/commands.h"

int g_busy;
std::atomic<int> g_cancel;
