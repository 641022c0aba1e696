// Settings persistence in the per-user registry: global settings and placement,
// and per controller and axis the slider limits and test settings.
#pragma once
#include "app_state.h"

// Nonzero when the global key existed.
int LoadSettings(AppState& state);
// 1, or 0 when the key cannot be created.
int SaveSettings(AppState& state);
// 1 when read, 0 when the key is missing or belongs to other hardware.
int LoadAxisSettings(HWND mainWindow);
// 1, or 0 when the key cannot be created.
int SaveAxisSettings(HWND mainWindow);
