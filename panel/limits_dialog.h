// PID slider limits dialog ("PanelSetupDialog"): upper and lower slider limits
// of the three gains, with validation.
#pragma once
#include "../core/app_state.h"

// Runs the modal dialog for the gains in state.LimitsDialogMask; 1 after OK, 0 otherwise.
INT_PTR RunLimitsDialog(HWND owner, AppState& state);

// Shows a failed check's warning; tests replace it to answer without a second modal loop.
extern int (WINAPI *LimitsWarningFunction)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Limits of one gain's slider window, in percent.
struct GainLimitPair {
    double Upper;
    double Lower;
};

// Checks limits of P, I and D (in that order) against each other, against 0..100
// and against the gains' current percents. Returns the message of the first check
// that fails, or nullptr when all pass.
const char* CheckGainLimits(const GainLimitPair limits[3], const double percents[3]);
