// Gain panel: the 220-pixel left pane with readouts, LEDs, motor, trajectory
// generator and test buttons and the three gain sliders.
#pragma once
#include <windows.h>

#define PANEL_CLASS "CPanelClass"
LRESULT CALLBACK GainPanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
