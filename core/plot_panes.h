// The five plot panes of the state record, as every part of the program
// empties them (opening a controller, the panel's buttons, the plot display)
// and lays them out again when their number may have changed.
#pragma once
#include "app_state.h"

// Empties the five panes.
void ClearPlots(AppState& state);
// Sends the main window WM_SIZE for its current client size, so that the
// panes follow PlotPaneCount() after a change of plot choices, axis or capture.
void Relayout(HWND mainWindow);
