// Small helpers shared by the program's dialogs.
#pragma once
#include <windows.h>

// Centres a window over its owner (or the desktop); a negative position puts it at 0, 0.
void CenterDialog(HWND window);
// The number in a dialog item (strtod of at most 39 characters; not a number gives 0.0).
double GetDlgItemNumber(HWND dialog, int id);
// Shows a number in a dialog item: "%lf" when precision is negative, else "%.*lf".
void SetDlgItemNumber(HWND dialog, int id, double value, int precision);
// Formats like SetDlgItemNumber into buffer (size bytes, always terminated).
void FormatDlgNumber(char* buffer, size_t size, double value, int precision);
