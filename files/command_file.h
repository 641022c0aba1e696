// Controller command files: exporting the axis settings as ZPCL text and
// downloading a command file to the controller.
#pragma once
#include <windows.h>

int ExportCommandFile(short handle, const char* fileName);
// Downloads a command file: reopen, download through the dialogs library, reopen.
void ImportCommandFile(HWND mainWindow, short handle, const char* fileName);
