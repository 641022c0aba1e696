// PID slider limits dialog. First version: not available yet.
#include "limits_dialog.h"

INT_PTR RunLimitsDialog(HWND, AppState&) { return 0; }
