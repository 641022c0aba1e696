// Step-response test run: running the test and fetching the captured points of
// an axis into the capture store.
#pragma once
#include "../core/app_state.h"

// Runs a step test on the current axis; plus is 1 for Step Plus, 0 for Step Minus.
void RunStepTest(HWND mainWindow, int plus);
// Reads the captured points of one axis into the capture store; returns 1.
int FetchCapture(HWND mainWindow, int axis, double startTarget, double startOptimal,
                 double startAuxiliary, int plus);
// Milliseconds to wait for the capture: trunc((recordTime + delay) x 1000 + 25),
// never negative and never INFINITE, whatever the inputs.
DWORD CaptureWaitMs(double recordTime, double delay);
