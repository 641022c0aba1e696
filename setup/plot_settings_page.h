// "Plot Settings" page of the test setup sheet: the curves to draw, the
// auxiliary encoder scale, the plot style and how densely points are kept.
#pragma once
#include <windows.h>

#include "../core/app_state.h"

INT_PTR CALLBACK PlotSettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// What the page holds when the sheet is applied.
struct PlotChoices {
    BYTE Actual = 0;
    BYTE Optimal = 0;
    BYTE Error = 0;
    BYTE Torque = 0;
    BYTE Target = 0;
    BYTE Auxiliary = 0;
    BYTE Metrics = 1;             // metrics box and markers in pane 0
    double AuxiliaryScale = 0.0;  // the Scaling entry
    int Style = kPlotMulti;       // chosen style radio id
    int Interval = 1;             // chosen sampling interval
};

// Stores the choices; an interval of 0 or less keeps Sampling, and a scale
// entry that is not finite counts as 0.
void StorePlotChoices(const PlotChoices& choices, AppState& state);
