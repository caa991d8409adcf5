// The controls of the engine's status window. The preview check boxes and
// the priority list keep the ids of the encoders' own window, where
// Priority.exe finds them; the frames, the percent and "Abort", which
// Marobex reads and presses, stand beside them (model/status_window.h).
#pragma once

#include "model/status_window.h"

#define IDD_STATUS            100
#define IDC_JOB               1001
#define IDC_OUTPUT            1002
#define IDC_PROGRESS          1003
#define IDC_INPUT_PREVIEW     1004
#define IDC_OUTPUT_PREVIEW    1005
#define IDC_STEP              1101
#define IDC_SPEED             1104
#define IDC_SIZE_SO_FAR       1105
#define IDC_ELAPSED           1106
#define IDC_REMAINING         1107
#define IDC_MESSAGE           1108

// The engine's version, that of the Marobex it ships with.
#define ENGINE_VERSION_NUMBERS 1, 0, 0, 0
#define ENGINE_VERSION_TEXT "1.0.0.0"
