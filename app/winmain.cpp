// Loopsmith.exe entry point: a thin shell over the program library.
#include <windows.h>

#include "entry.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    return LoopsmithMain(instance, previous, commandLine, showCommand);
}
