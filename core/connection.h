// Controller connection and axis selection: opening the controller, making an
// axis current, the gantry pair, the gain full scale and the servo period.
#pragma once
#include <string>

#include "app_state.h"

// Opens ControllerID; the new handle (> 0) on success, 0 or a negative error code.
short OpenController(AppState& state);
void SelectAxis(AppState& state, int axis);
// The other axis of the gantry pair for the current axis, 0 when there is none
// (also when a stored partner lies outside the controller's axes).
unsigned short GantryPartner(const AppState& state);
void ShareGantrySettings(AppState& state);
void SetGainFullScale(AppState& state);
// Servo loop period of an axis in seconds; seconds is left unchanged when the
// update rate selects no period. Returns 0.
int ServoPeriod(short handle, unsigned short axis, double* seconds);
// The message shown when opening a controller failed with a negative code.
void ShowOpenError(HWND owner, const AppState& state);
// Highest usable axis number of the open controller: min(NumberAxes, 16), 0 when none.
int UsableAxisCount(short handle);
// The controller library's text for a negative result code (a fallback naming
// the code when the library has none).
std::string ControllerErrorText(int code);
// Tells the user that a controller call failed: what could not be done, then the
// library's text for the code (caption "Loopsmith").
void ShowControllerError(HWND owner, const char* what, int code);
// Tells the user that ZQDLG_SaveAxis failed with code (a failure the dialogs
// library has already shown, the settings store, is not shown twice).
void ShowAxisSaveError(HWND owner, int code);
