// Gain slider control. First version: an empty control.
#include "gain_slider.h"

LRESULT CALLBACK GainSliderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

double PropGainAccess(short, unsigned short, unsigned short, const double*) { return 0.0; }
double IntGainAccess(short, unsigned short, unsigned short, const double*) { return 0.0; }
double DerGainAccess(short, unsigned short, unsigned short, const double*) { return 0.0; }
