// Test data files. First version: not available yet.
#include "test_data_file.h"

int SaveTestData(HWND, const char*) { return 0; }
int OpenTestData(HWND, const char*) { return 0; }
