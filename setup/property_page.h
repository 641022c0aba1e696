// Conventions shared by the test setup sheet's pages: reporting a change to
// the sheet, enabling runs of controls, check states and the answer to a
// notification.
#pragma once
#include <windows.h>

#include "../core/app_state.h"

// Tells the sheet that the page changed something (enables its Apply button).
void ReportPageChanged(HWND page);
// Enables or disables the controls first..last that exist on the page.
void EnableItems(HWND page, int first, int last, bool enable);
// 1 when the check box is checked, else 0.
BYTE CheckState(HWND page, int id);
// Toggles a plain check box; returns its new state.
bool ToggleCheck(HWND page, int id);
// The AppState a page was created for (its PROPSHEETPAGEA lParam).
AppState* PageStateFrom(LPARAM initParam);
// The number in an edit as a value the program can keep: text that is not a
// number, and values that are not finite ("nan", "inf", overflow), count as 0.
double EntryNumber(HWND page, int id);
// True when text is exactly what SetDlgItemNumber shows for value at precision,
// whole (a number too long for the edit is never shown whole).
bool TextShowsNumber(const char* text, double value, int precision);
// True when the edit still shows value as the page filled it in: the user has
// not changed it, and the page keeps the stored value exactly rather than the
// rounded text.
bool EntryShows(HWND page, int id, double value, int precision);
// Counts values stored by any page during the current sheet (see test_setup.h).
void NotePageApplied();
