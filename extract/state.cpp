// The process-wide state shared by start-up, the progress window and the
// extraction worker.
#include "extract/worker.h"

char g_archive_path[SYS_PATH_SIZE];
char g_prev_target[SYS_PATH_SIZE];
char g_extract_dir[SYS_PATH_SIZE];
char g_reserve_file[SYS_PATH_SIZE];
char g_setup_program[48];
char g_password[48];
WindowRef g_window;
