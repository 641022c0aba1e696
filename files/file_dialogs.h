// File name dialogs for test data files (csvMode 1) and command files (csvMode 0).
#pragma once
#include <windows.h>

// buffer holds MAX_PATH characters; nonzero when the user chose a file.
BOOL ChooseFileToOpen(HWND owner, char* buffer, int csvMode);
BOOL ChooseFileToSave(HWND owner, char* buffer, int csvMode);
