// The engine's own controls on its status window, beside the shared ones of
// standin/status_ids.h.
#pragma once

#define IDC_STEP              1101
#define IDC_FRAMES            1102
#define IDC_PERCENT           1103
#define IDC_SPEED             1104
#define IDC_SIZE_SO_FAR              1105
#define IDC_ELAPSED           1106
#define IDC_REMAINING         1107
#define IDC_MESSAGE           1108
#define IDC_ABORT             1109

// The engine's version, that of the Marobex it ships with.
#define ENGINE_VERSION_NUMBERS 1, 0, 0, 0
#define ENGINE_VERSION_TEXT "1.0.0.0"
