// Settings persistence in the per-user registry: global settings and placement,
// and per controller and axis the slider limits, the Auto Tune style and the
// test settings.
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

// Byte-wise comparison of a stored "Version" with the version this program
// writes: negative when older (the plot panes' settings are then not loaded).
int CompareVersion(const char* stored);
// The load defaults of the global settings.
void ApplyLoadDefaults(AppState& state);
// Slider limits that are not 0 <= lower < upper <= 100 become 0 and 100.
void ValidateLimits(GainChannel& channel);
// Stored test times the program accepts, in seconds (the Test Setup sheet's
// limits): a record time above 0, a delay from 0, both at most kMaxRecordTime.
bool StoredRecordTimeValid(double seconds);
bool StoredDelayValid(double seconds);
// True when a window at x, y of width x height has a part on the desktop
// rectangle; any int values, and an empty or negative size never does.
bool PlacementMeetsDesktop(int x, int y, int width, int height, const RECT& desktop);
