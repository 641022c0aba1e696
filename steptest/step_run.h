// Step-response test run: running the test and fetching the captured points of
// an axis into the capture store.
#pragma once
#include <functional>
#include <vector>

#include "../core/app_state.h"

// Runs a step test on the current axis; plus is 1 for Step Plus, 0 for Step Minus.
// A test that ran becomes a run "test" of the test history.
void RunStepTest(HWND mainWindow, int plus);
// "The step test failed: <the library's text for error>. The data of the
// previous test is kept." (caption "Loopsmith").
void ShowTestFailure(HWND mainWindow, int error);
// Reads the captured points of one axis into the capture store and returns 1.
// When a point cannot be read the store and LastTest stay as they were and the
// result is 0: no stored curve holds a value the controller did not deliver.
int FetchCapture(HWND mainWindow, int axis, double startTarget, double startOptimal,
                 double startAuxiliary, int plus);
// Milliseconds to wait for the capture: trunc((recordTime + delay) x 1000 + 25),
// never negative and never INFINITE, whatever the inputs.
DWORD CaptureWaitMs(double recordTime, double delay);
// Waits ms for the capture with the main window kept alive (the Step Test
// progress window from one second up); false when the user stopped the wait.
// onStop runs at the moment Stop is pressed.
bool WaitForCapture(HWND mainWindow, DWORD ms, std::function<void()> onStop = nullptr);

// Points of a capture read in one ZqGetCaptureData call per block: a block runs
// from a wanted point over at most blockPoints consecutive points.
constexpr int kCaptureBlockPoints = 8192;
// Reads the captured points of one type (an ascending list of point numbers, a
// number may repeat) in as few calls as blocks of blockPoints allow. A block
// whose read fails is read again point by point, each point tried again up to
// retries times. A point that cannot be read reads as 0.0 and sets error to the
// controller's code; with retries the reading stops at that point. The values
// come back in the order of the list; with an error they are not to be used.
std::vector<double> ReadCapturePoints(short handle, unsigned short axis, int type, const std::vector<int>& points,
                                      int blockPoints = kCaptureBlockPoints, int* error = nullptr, int retries = 0);
