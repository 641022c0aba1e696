// Process start-up: window classes, instance start-up and the message loop.
#pragma once
#include <windows.h>

// Registers "SliderWindowClass", "CPanelClass" and "Loopsmith", in that order.
bool RegisterWindowClasses(HINSTANCE instance);
// Instance start-up; the main window, or null when start-up failed.
HWND InitInstance(HINSTANCE instance, char* commandLine, int showCommand);
// The whole program: returns the final WM_QUIT's wParam, or 0 when start-up fails.
int LoopsmithMain(HINSTANCE instance, HINSTANCE previous, char* commandLine, int showCommand);

extern const char kLibraryVersionMessage[];
