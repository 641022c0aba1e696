// The pane window of the plot library: its class and the off-screen buffer
// it paints through.
#pragma once
#include <windows.h>

struct PlotPane;

// The pane state of a plot window, or null for any other window.
PlotPane* PaneOf(HWND window);
// Redraws a pane after its state was changed from outside (setup dialog, settings).
void RefreshPane(HWND window);
// Handle of this library's module (for its dialog resource).
HINSTANCE PlotModule();
