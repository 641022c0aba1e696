// Test data files: the captured curves of the current axis as comma-separated text.
#pragma once
#include <windows.h>

int SaveTestData(HWND mainWindow, const char* fileName);
int OpenTestData(HWND mainWindow, const char* fileName);
