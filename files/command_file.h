// Controller command files: exporting the axis settings as ZPCL text and
// downloading a command file to the controller.
#pragma once
#include <windows.h>

// Writes the servo and motion settings of every axis of the controller to
// fileName; 1 when written. A file that cannot be written is reported in a
// message box owned by owner, and an existing file is left as it was; so is it
// when an axis's records cannot be read (the message names the axis).
int ExportCommandFile(short handle, const char* fileName, HWND owner = nullptr);
// Downloads a command file: reopen, download through the dialogs library, reopen.
// The code of a reopen that failed (the download is then not tried), else 0 or more.
int ImportCommandFile(HWND mainWindow, short handle, const char* fileName);
