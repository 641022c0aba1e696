// "Test History": the modeless, resizable window over the runs of the current
// controller and axis, owned by the main window (one at a time).
#pragma once
#include <windows.h>

#include <vector>

#include "../core/app_state.h"
#include "test_history.h"

// Test menu command 220: creates the window, or brings it forward.
void OpenHistoryWindow(HWND mainWindow);
// The open window, nullptr when there is none (for IsDialogMessage).
HWND HistoryWindow();
// Refills the list from the history of the current axis when the window is open.
void RefreshHistoryWindow(AppState& state);
// Reads back the history of the current axis and, when the window shows
// another axis, refills it (the window follows axis and controller changes).
void FollowAxisInHistory(AppState& state);
// The runs the window has selected, newest first, while "Overlay selected
// runs" is checked; empty otherwise.
std::vector<const HistoryRun*> OverlaidRuns(const AppState& state);

// Exports the runs of a controller and axis, oldest first, to fileName; a
// failed write says so in a message box and leaves an existing file as it was.
bool ExportHistory(HWND owner, const TestHistory& history, int controller, int axis, const char* fileName);

// The list's text of a run in column c (Run, Time, P, I, D, Rise (ms),
// Overshoot (%), Settling (ms), Peak Error, RMS Error, Peak Torque, Skew).
constexpr int kHistoryColumnCount = 12;
std::string HistoryCell(const HistoryRun& run, int column);
