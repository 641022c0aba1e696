// Gain slider control: one servo loop gain shown and changed live, in percent
// of the gain's full scale, with a zoomable window between two limits.
#pragma once
#include "../app/app_state.h"

#define SLIDER_CLASS "SliderWindowClass"

struct SliderCreateData {
    GainChannel* Channel;
    int GainId;        // 1 P, 2 I, 4 D (the LimitsDialogMask bits)
    AppState* State;
};

LRESULT CALLBACK GainSliderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

double PropGainAccess(short handle, unsigned short axis, unsigned short partner, const double* newValue);
double IntGainAccess(short handle, unsigned short axis, unsigned short partner, const double* newValue);
double DerGainAccess(short handle, unsigned short axis, unsigned short partner, const double* newValue);
