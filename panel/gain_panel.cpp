// Gain panel window. First version: an empty pane.
#include "gain_panel.h"

LRESULT CALLBACK GainPanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}
