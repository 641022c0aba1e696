// Earlier runs of the test history drawn over the current test in pane 0.
#pragma once
#include <vector>

#include "../core/app_state.h"
#include "test_history.h"

// Sends the curves of the runs to the pane as overlays "Run N" (at most
// kMaxOverlays, the first ones), each spanning its own time, after removing the
// earlier ones; runs without a curve are left out. The pane's series, range
// and metrics box stay as they are.
void SendRunOverlays(HWND pane, const std::vector<const HistoryRun*>& runs);
// The overlays of the history window's selection in pane 0 (none while no
// test is on display), called by the plot display after it rebuilt the panes
// and by the history window when its selection changes.
void ShowHistoryOverlays(AppState& state);
