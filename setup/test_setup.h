// Test setup property sheet: motion, plot and info pages.
#pragma once
#include <windows.h>

// Runs the modal "Test Setup" sheet; a value greater than 0 when settings were
// applied (by OK, or by Apply before the sheet was cancelled).
INT_PTR RunTestSetup(HWND mainWindow);
