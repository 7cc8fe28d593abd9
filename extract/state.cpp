// The process-wide state shared by start-up, the progress window and the
// extraction worker.
#include "extract/worker.h"

char g_archive_path[SYS_PATH_SIZE];
char g_prev_target[SYS_PATH_SIZE];
WindowRef g_window;
