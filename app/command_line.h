// Command line: splitting the text into arguments and the option parser.
#pragma once
#include <windows.h>

// Splits text in place into at most maxSlots arguments; slot 0 is "program name".
// Returns the number of slots filled (at least 1).
int SplitArguments(char* text, char** slots, int maxSlots);

// Parses the start options -a/--axis and -b/--board of the command line text
// (modified in place) into the main window's creation parameter
// (board << 16) | axis, with axis 0 and board 0x8000 meaning "not given".
DWORD ParseStartOptions(char* text);
