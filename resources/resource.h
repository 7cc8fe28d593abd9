// Resource ids shared by the resource script and the code. Plain #defines:
// the resource compiler reads this file too.
#pragma once

#define IDD_PROGRESS 101
#define IDD_PASSWORD 104

#define IDC_PROGRESS_BAR 1000
#define IDC_CURRENT_FILE 1001
#define IDR_ANIMATION 1006
#define IDC_ANIMATION 1007
#define IDC_PASSWORD_EDIT 1008

// Message texts of the string table (Czech, code page 1250).
#define IDS_CAPTION 2
#define IDS_NEXT_VOLUME 3
#define IDS_ERROR 4
#define IDS_INCOMPLETE 5
#define IDS_NO_SPACE 6
#define IDS_BAD_PASSWORD 7
