// File name dialogs. First version: not available yet.
#include "file_dialogs.h"

BOOL ChooseFileToOpen(HWND, char*, int) { return FALSE; }
BOOL ChooseFileToSave(HWND, char*, int) { return FALSE; }
