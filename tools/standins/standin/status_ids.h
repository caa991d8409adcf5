// Control ids of the status window of the stand-in encoders and of the
// encoding engine. The two check boxes and the priority combo keep the ids of
// the encoder's own status window, which the priority helper looks for.
#pragma once

#define IDD_STATUS            100
#define IDC_JOB               1001
#define IDC_OUTPUT            1002
#define IDC_PROGRESS          1003
#define IDC_INPUT_PREVIEW     1004
#define IDC_OUTPUT_PREVIEW    1005
#define IDC_SHOW_INPUT        1027
#define IDC_SHOW_OUTPUT       1028
#define IDC_PRIORITY          1080
