// Plot display: turns the stored samples of the current axis into curves in the
// five plot panes for the chosen plot style.
#pragma once
#include "../app/app_state.h"

// Empties the five panes.
void ClearPlots(AppState& state);
// Rebuilds all panes from the stored data of the current axis.
void UpdatePlots(HWND mainWindow);
// Sets the pane's y range from its data range, rounded to the scale table.
void ScalePaneY(HWND pane, bool symmetric);
// Grid divisions for a pane extent in pixels: 2 below small, 4 below large, else 10.
int PaneDivisions(int extent, int small, int large);
// Sets the pane's grid divisions from its size in pixels.
void SetPaneDivisions(HWND pane, int width, int height);
