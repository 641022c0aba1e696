// Path of the help file beside the executable, used by every WinHelp call.
#pragma once
#include <windows.h>

extern char HelpFile[MAX_PATH];
// Fills HelpFile with the executable's drive and directory and "loopsmith.hlp".
void BuildHelpFilePath();
// Joins the drive and directory of a module path with a file name.
void HelpPathBeside(const char* modulePath, const char* fileName, char* out, size_t size);
