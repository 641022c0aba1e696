// Print job: the one-page test report sent to a chosen printer.
#pragma once
#include <windows.h>

// Prints the report; 0, or a Win32 error code for the main window to show.
DWORD PrintTestReport(HWND mainWindow);
