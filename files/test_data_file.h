// Test data files: the captured curves of the current axis as comma-separated text.
#pragma once
#include <windows.h>

#include "../core/app_state.h"
#include "test_data_format.h"

// Writes the displayed test to fileName; 1 when written. A file that cannot be
// written is reported in a message box and an existing file is left as it was.
int SaveTestData(HWND mainWindow, const char* fileName);
// Reads a test data file into the current axis; 1 when read. A file that cannot
// be opened or holds no data row keeps the current data and is reported.
int OpenTestData(HWND mainWindow, const char* fileName);

// The values of data line j of the displayed test (the channels not chosen for
// plotting, and samples past a channel's end, as 0).
TestDataValues TestDataLineValues(const AppState& state, size_t j);
// Number of data lines: ceil(SampleCount / Sampling) of LastTest.
size_t TestDataLineCount(const TestSettings& lastTest);
// Replaces the current axis's channels with the columns and updates LastTest and TestDone.
void ApplyTestData(AppState& state, TestDataColumns& columns);
