// Test setup property sheet. First version: not available yet.
#include "test_setup.h"

INT_PTR RunTestSetup(HWND) { return 0; }
