// Saving every axis's settings of the open controller to the library's own
// non-volatile store, HKEY_CURRENT_USER "Software\Zephmill\Controllers\<id>",
// one subkey "Axis<n>" per axis, and restoring them from there.
#pragma once
#include <string>

namespace zqdlg {

// Axis 0 means every axis of the controller. Save returns 0 or a kDlgErr code;
// Restore returns 0 when settings were restored for at least one axis,
// kDlgErrNoSettings when none were saved, or another kDlgErr code.
int SaveAxisSettings(short handle, int axis);
int RestoreAxisSettings(short handle, int axis);

// The store's key for a controller id.
std::string StoreKeyName(int id);

// The id of the controller behind an open handle, or -1 when the API library
// does not tell it.
int ControllerIdOf(short handle);

}  // namespace zqdlg
