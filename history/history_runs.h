// The test history of the program: runs made from the data on display, the
// history file of each controller and axis, and Restore Gains.
//
// The gain panel's step commands and File > Open add a run after the data is
// on display; RunStepTest itself adds none, so a feature that runs its own
// tests (Auto Tune) adds its runs with its own source:
//     AddDisplayedRun(mainWindow, "auto tune", true);
#pragma once
#include <windows.h>

#include <string>

#include "../core/app_state.h"
#include "test_history.h"

// Creates AppState::History (main window creation) and releases it (destruction).
void CreateHistory(AppState& state);
void ReleaseHistory(AppState& state);
// Reads back the history file of the current controller and axis, once per
// session and axis.
void LoadAxisHistory(AppState& state);

// A run of the data on display of the current axis: the local time now, the
// source, with gains the P, I and D of the sliders' accessors and the loop
// settings of the axis's filter record, distance and record time of LastTest,
// the first move's metrics, the gantry skew and the actual curve.
HistoryRun RunFromDisplay(const AppState& state, const std::string& source, bool withGains);
// Adds RunFromDisplay to the history (after reading back the axis's file),
// appends its row to the history file and refreshes the history window and
// the overlays. Returns the run's number, 0 when nothing was added (no data).
int AddDisplayedRun(HWND mainWindow, const std::string& source, bool withGains);

// Writes a run's P, I and D to the current axis exactly as the sliders write
// them (to the gantry partner too while gantry sharing is on), then
// RefreshSliders and Modified. False, and nothing written, for a run without gains.
bool RestoreRunGains(AppState& state, const HistoryRun& run);

// The file name part of a path ("C:\data\a.csv" gives "a.csv").
std::string FileNamePart(const std::string& path);
// "YYYY-MM-DDTHH:MM:SS" of a local time.
std::string HistoryTimeText(const SYSTEMTIME& local);
