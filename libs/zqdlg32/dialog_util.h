// Small helpers of the library's dialogs: placement, numbers in edit fields,
// and running a template of this library as a modal dialog.
#pragma once
#include <windows.h>

#include <string>

namespace zqdlg {

// The library's module (for its dialog templates).
HINSTANCE Instance();
void SetInstance(HINSTANCE instance);

// Centres a dialog over its owner (the work area without one), kept on screen.
void CenterOnOwner(HWND dialog);

// Shortest text that reads back as the same double ("15", "0.1", "1e-05").
std::string FormatNumber(double value);
// A finite number with nothing but blanks around it; false otherwise.
bool ParseNumber(const std::string& text, double& value);

std::string GetItemText(HWND dialog, int id);

// Puts the keyboard focus on a dialog control and selects its text.
void FocusItem(HWND dialog, int id);

// A combo box item with a numeric code as item data.
void AddComboItem(HWND combo, const char* text, int code);
// Selects the item with this code; false when there is none.
bool SelectComboCode(HWND combo, int code);
// Code of the selected item, or fallback when nothing is selected.
int SelectedComboCode(HWND combo, int fallback);

}  // namespace zqdlg
