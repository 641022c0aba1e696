// Command line parsing. First version: no options are recognised yet.
#include "command_line.h"

int SplitArguments(char*, char** slots, int maxSlots) {
    if (maxSlots < 1) return 0;
    static char programName[] = "program name";
    slots[0] = programName;
    return 1;
}

DWORD ParseStartOptions(char*) {
    return 0x8000u << 16;
}
