// Emptying the plot panes and laying them out again.
#include "plot_panes.h"

#include "../libs/plotwin/plotwin.h"

void ClearPlots(AppState& state) {
    for (HWND pane : state.PlotPanes) {
        if (!pane) continue;
        SendMessageA(pane, PWM_CLEAR, 1, -1);
        SendMessageA(pane, PWM_SETYFORMAT, 0, reinterpret_cast<LPARAM>("%lg"));
    }
}

void Relayout(HWND mainWindow) {
    RECT rc;
    GetClientRect(mainWindow, &rc);
    SendMessageA(mainWindow, WM_SIZE, 0, MAKELPARAM(rc.right, rc.bottom));
}
