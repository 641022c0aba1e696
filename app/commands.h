// The main window's command side: menu and accelerator commands, the File
// popup's enabling, and the 110 ms status timer.
#pragma once
#include "../core/app_state.h"
#include "../core/plot_panes.h"  // Relayout

LRESULT OnMainCommand(HWND window, WPARAM wParam, LPARAM lParam);
LRESULT OnStatusTimer(HWND window);
// Returns true when handled (the File popup); false for default processing.
bool OnMainInitMenuPopup(HWND window, WPARAM wParam, LPARAM lParam);

// Forces the timer to rewrite the axis readout and recompute the decimals.
void ResetAxisReadout();
// Forgets everything the timer showed, as at process start (a new main window).
void ResetStatusReadout();
// Number of decimals of the position readout for an axis scale; negative when
// it cannot be computed (the readout then uses the default precision).
int PositionDecimals(double scale);
