// Plot display. First version: clearing and grid divisions.
#include "plot_display.h"

#include "../libs/plotwin/plotwin.h"

void ClearPlots(AppState& state) {
    for (HWND pane : state.PlotPanes) {
        if (!pane) continue;
        SendMessageA(pane, PWM_CLEAR, 1, -1);
        SendMessageA(pane, PWM_SETYFORMAT, 0, reinterpret_cast<LPARAM>("%lg"));
    }
}

void UpdatePlots(HWND mainWindow) {
    AppState* state = StateOf(mainWindow);
    if (!state) return;
    ClearPlots(*state);
}

void ScalePaneY(HWND, bool) {}

int PaneDivisions(int extent, int small, int large) {
    if (extent < small) return 2;
    if (extent < large) return 4;
    return 10;
}

void SetPaneDivisions(HWND pane, int width, int height) {
    SendMessageA(pane, PWM_SETYDIVISIONS, 0, PaneDivisions(height, 125, 250));
    SendMessageA(pane, PWM_SETXDIVISIONS, 0, PaneDivisions(width, 200, 500));
}
