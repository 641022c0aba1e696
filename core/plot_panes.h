// The five plot panes of the state record, as every part of the program
// empties them: opening a controller, the panel's buttons, the plot display.
#pragma once
#include "app_state.h"

// Empties the five panes.
void ClearPlots(AppState& state);
