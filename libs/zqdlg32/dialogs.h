// The library's modal dialogs and the work behind the other exports. Each
// returns what its export returns.
#pragma once
#include <windows.h>

namespace zqdlg {

// Controller selection: the chosen id, or a negative value when cancelled.
int RunSelectController(HWND owner, int current);
// Axis set-up: 0 when the settings were written, kDlgCancelled, or a kDlgErr code.
int RunConfigureAxis(HWND owner, short handle, unsigned short axis);
// Scaling set-up (mode 0 shows the scale without letting it change).
int RunScaling(HWND owner, short handle, unsigned short axis, int mode);
// About box naming the program.
int RunAboutBox(HWND owner, const char* program);

// "Axis 2: SV-1 Servo Module" for the dialogs' first line.
void AxisHeading(short handle, unsigned short axis, char* text, int size);

}  // namespace zqdlg
