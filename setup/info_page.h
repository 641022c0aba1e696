// "Info" page of the test setup sheet: what the current axis's module can
// capture. It only displays and stores nothing.
#pragma once
#include <windows.h>

#include <string>

INT_PTR CALLBACK InfoPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// "Yes" or "No" for the Advanced Capture field, from the axis's capture flags.
const char* AdvancedCaptureText(int captureFlags);
// The capture modes list: "Position, Optimal, Error" and the optional modes.
std::string CaptureModesText(int captureFlags);
