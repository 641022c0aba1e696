// Gain slider control: one servo loop gain shown and changed live, in percent
// of the gain's full scale, with a zoomable window between two limits.
#pragma once
#include <cstddef>

#include "../core/app_state.h"

#define SLIDER_CLASS "SliderWindowClass"

struct SliderCreateData {
    GainChannel* Channel;
    int GainId;        // 1 P, 2 I, 4 D (the LimitsDialogMask bits)
    AppState* State;
};

LRESULT CALLBACK GainSliderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

double PropGainAccess(short handle, unsigned short axis, unsigned short partner, const double* newValue,
                      int* result = nullptr);
double IntGainAccess(short handle, unsigned short axis, unsigned short partner, const double* newValue,
                     int* result = nullptr);
double DerGainAccess(short handle, unsigned short axis, unsigned short partner, const double* newValue,
                     int* result = nullptr);

// Message 1025 to sliders 215, 216 and 217 of the panel, in that order, so that
// they re-read their gains after something else changed the controller's settings.
void RefreshSliders(const AppState& state);

// Beeps when a zoom cannot go further; tests replace it to count the beeps.
extern BOOL (WINAPI *SliderBeepFunction)(UINT type);

// ---- Slider arithmetic (no window needed) ----

// Range of the trackbar: position 0 (top) is the upper limit, the maximum the lower.
constexpr int kSliderTrackMax = 1000;

// Limit label: "%3.2f%%" below 10, "%3.0f%%" from 10 up ("5.00%", " 50%", "100%").
void FormatSliderLabel(double percent, char* buffer, size_t size);
// Controller gain readout: "%7.4f" of percent / 100 x fullScale.
void FormatGainReadout(double percent, double fullScale, char* buffer, size_t size);

// True when 0 <= lower < upper <= 100 (so the window can be divided by).
bool SliderLimitsValid(double lower, double upper);
// Resets the limits to 0 and 100 when they are not valid or the channel's
// percent lies outside them (a percent on a limit is inside). True when reset.
bool FitSliderLimits(GainChannel& channel);
// Resets limits that are not valid to 0 and 100; true when reset.
bool RepairSliderLimits(GainChannel& channel);

// Trackbar position of a percent inside lower..upper, for a trackbar range 0..max,
// truncated toward zero and kept inside 0..max.
int SliderTrackPosition(double percent, double lower, double upper, int max);
// Percent shown by a trackbar position.
double SliderPercentAt(int position, int max, double lower, double upper);

// Halves the window around percent (kept inside 0..100). False, and nothing
// changed, when the window is already 0.1 percent wide or less.
bool ZoomSliderIn(double percent, double& upper, double& lower);
// Doubles the window around percent (kept inside 0..100). False, and nothing
// changed, when the window already spans 100 percent or more.
bool ZoomSliderOut(double percent, double& upper, double& lower);

// Where WM_SIZE puts a child of a slider with client size width x height.
struct SliderChildPlace {
    int id;
    int x;
    int y;
};
constexpr int kSliderChildCount = 8;
void SliderChildPlaces(int width, int height, SliderChildPlace places[kSliderChildCount]);
