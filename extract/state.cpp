// The process-wide state shared by start-up, the progress window and the
// extraction worker.
#include "extract/worker.h"

char g_archive_path[SYS_PATH_SIZE];
char g_prev_target[SYS_PATH_SIZE];
char g_extract_dir[SYS_PATH_SIZE];
char g_reserve_file[SYS_PATH_SIZE];
char g_setup_program[TEXT_FIELD_SIZE];
char g_password[TEXT_FIELD_SIZE];
WindowRef g_window;
