// Setup > Auto Tune: the refusals, and the modal "Auto Tune" dialog over an
// AutoTuneRun (Start, progress, the proposal and its check, Apply, Cancel).
#pragma once
#include <windows.h>

#include <string>

#include "../core/app_state.h"
#include "gain_design.h"

// What the axis lacks for Auto Tune, as one sentence ("" when nothing):
// without an open controller only that is named, since nothing else can be read.
std::string AutoTuneRefusal(bool controllerOpen, bool motorOn, bool servoAxis, bool torqueCapture);

// "The axis will move by up to 100 units either way ..." for a test distance.
std::string AutoTuneMoveText(double distance);

// Rise, overshoot and settling time of a step as the dialog shows them
// ("rise 12.3 ms, overshoot 4.1 %, settling 45.0 ms"; "not settled").
std::string TuneFiguresText(double rise, double overshoot, double settling, bool settled);

// The style remembered for the current controller and axis (kept with the
// axis's settings; Medium until one is chosen, and for a damaged value).
TuneStyle RememberedStyle(const AppState& state);
void RememberStyle(AppState& state, TuneStyle style);

// Command 205: checks the axis, then runs the dialog. Returns the dialog's
// result (IDOK after Apply, IDCANCEL otherwise), 0 when it refused.
INT_PTR RunAutoTune(HWND mainWindow);
