// PID slider limits dialog ("PanelSetupDialog"): upper and lower slider limits
// of the three gains, with validation.
#pragma once
#include "../app/app_state.h"

// Runs the modal dialog for the gains in state.LimitsDialogMask; 1 after OK, 0 otherwise.
INT_PTR RunLimitsDialog(HWND owner, AppState& state);
