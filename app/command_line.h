// Command line: splitting the text into arguments and the option parser for
// -a/--axis and -b/--board.
#pragma once
#include <windows.h>

// Splits text in place into at most maxSlots arguments; slot 0 is the literal
// "program name". Returns the number of slots filled (at least 1).
int SplitArguments(char* text, char** slots, int maxSlots);

struct LongOption {
    const char* name;  // null ends the table
    int hasValue;      // 0 none, 1 required, 2 optional
    int* flag;         // set to value when matched, or null
    int value;         // returned (or stored in *flag) when matched
};

// Parser state, process-wide (one parse per run); ResetOptionParser starts over.
extern int OptionIndex;        // index of the next argument
extern char* OptionValue;      // value text of the option just returned, or null
extern int OptionOffender;     // last option character that could not be used
extern int OptionReporting;    // report problems on the standard error stream
void ResetOptionParser();

// The next option letter with its value in OptionValue, '?' (or ':' when the
// short-option text begins with ':') for an option that cannot be used, or -1
// when no option remains. A matched long option stores its table index in *index.
int GetOption(int count, char** slots, const char* shortOptions, const LongOption* longOptions, int* index);

// Parses the start options of the command line text (modified in place) into
// the main window's creation parameter (board << 16) | axis, with axis 0 and
// board 0x8000 meaning "not given".
DWORD ParseStartOptions(char* text);
