// Settings persistence (registry). First version: defaults only.
#include "settings.h"

int LoadSettings(AppState& state) {
    state.AuxiliaryScale = 1.0;
    state.ControllerID = 0;
    state.Axis = 1;
    state.AutoInit = 0;
    state.PlotActual = 1;
    state.PlotAuxiliary = 0;
    state.PlotOptimal = 1;
    state.PlotError = 1;
    state.PlotTorque = 0;
    state.PlotTarget = 1;
    state.PlotStyle = kPlotMulti;
    state.Gantry = 0;
    state.GantryMaster = 1;
    state.GantrySlave = 2;
    state.GantryShare = 1;
    SetWindowPos(state.MainWindow, nullptr, 0, 0, 640, 480, SWP_NOZORDER);
    return 0;
}

int SaveSettings(AppState&) { return 0; }

int LoadAxisSettings(HWND mainWindow) {
    AppState* state = StateOf(mainWindow);
    if (!state) return 0;
    for (GainChannel* g : {&state->PropGain, &state->IntGain, &state->DerGain}) {
        g->UpperLimit = 100.0;
        g->LowerLimit = 0.0;
    }
    return 0;
}

int SaveAxisSettings(HWND) { return 0; }
