#include "shell/win32/dialogs.h"

HINSTANCE g_instance;
