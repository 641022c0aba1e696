// Main window: owns the AppState, lays out the gain panel and the plot panes,
// and runs start-up, shutdown and the command and timer handlers.
#pragma once
#include <windows.h>

#include "../core/app_state.h"

#define MAIN_CLASS "Loopsmith"

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Seams for the failure paths of start-up, replaced only by tests.
extern AppState* (*AllocateAppState)();
extern UINT_PTR (WINAPI *StartTimerFunction)(HWND, UINT_PTR, UINT, TIMERPROC);

// Starts the 110 ms status timer of the main window; false when it cannot.
// Only a started timer is stopped (and its failure to stop reported) at WM_DESTROY.
bool StartStatusTimer(HWND window);
