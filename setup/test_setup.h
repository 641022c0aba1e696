// Test setup property sheet: motion, plot and info pages.
#pragma once
#include <windows.h>

// Runs the modal "Test Setup" sheet; a value greater than 0 when settings were applied.
INT_PTR RunTestSetup(HWND mainWindow);
