// Step-response test: running the test, fetching the captured points of an
// axis and fitting the record time to the axis's capture buffer.
#pragma once
#include "../app/app_state.h"

// Runs a step test on the current axis; plus is 1 for Step Plus, 0 for Step Minus.
void RunStepTest(HWND mainWindow, int plus);
// Reads the captured points of one axis into the capture store; returns 1.
int FetchCapture(HWND mainWindow, int axis, double startTarget, double startOptimal,
                 double startAuxiliary, int plus);
// Sets SampleCount and SamplePeriod of settings; 0.0 when RecordTime can be kept,
// otherwise the longest record time in seconds the axis can capture.
double LimitRecordTime(TestSettings& settings, short handle, unsigned short axis, int advanced);
