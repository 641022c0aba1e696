// Public interface of the plot window library: the window class, the four
// exports (imported by ordinal) and the pane messages.
#pragma once
#include <windows.h>

#define PLOTWIN_CLASS "PlotWindowClass"
#define PLOTWIN_STYLE_PANE 0x0004  // class-specific style of a plot pane

// Series numbers.
enum PlotSeries { kSeriesActual = 0, kSeriesOptimal = 1, kSeriesError = 2, kSeriesTorque = 3,
                  kSeriesAuxiliary = 5, kSeriesTarget = 6, kSeriesCount = 7 };

// Pane messages (wParam, lParam as noted).
#define PWM_ADDRANGE        15616  // count, const double*: widen the data range; 0, 0 empties it
#define PWM_CLEAR           15617  // 1, -1: remove the data of all series
#define PWM_SETDATA         15618  // MAKEWPARAM(series, count), const double* y values
#define PWM_GETMIN          15632  // 0, double* out
#define PWM_GETMAX          15633  // 0, double* out
#define PWM_SETSERIESNAME   15636  // series, const char*
#define PWM_SETSERIESSTYLE  15640  // series, style (1 = dashed target line)
#define PWM_SETXDIVISIONS   15643  // 0, divisions
#define PWM_SETXLABEL       15645  // 0, const char*
#define PWM_SETXMIN         15646  // 0, const double*
#define PWM_SETXMAX         15647  // 0, const double*
#define PWM_SETYDIVISIONS   15648  // 0, divisions
#define PWM_SETYFORMAT      15649  // 0, const char* printf format
#define PWM_SETYLABEL       15650  // 0, const char*
#define PWM_SETYMIN         15651  // 0, const double*
#define PWM_SETYMAX         15652  // 0, const double*
#define PWM_UPDATE          15653  // 0, 0: redraw

// Our own messages, above the ones every plot pane knows (docs/plotwin.md).
#define PWM_SETMETRICSTEXT  15660  // 0, const char*: the metrics box text ('\n' between lines); null or "" removes it
#define PWM_SETMARKERS      15661  // count (kMarkerCount or 0), const double* PlotMarkerValue order; 0 removes them
#define PWM_SETOVERLAY      15662  // MAKEWPARAM(overlay, count), const double* y values; count 0 removes it
#define PWM_SETOVERLAYSPAN  15663  // overlay, const double[2]: x of the first and of the last point
#define PWM_SETOVERLAYNAME  15664  // overlay, const char*: legend name
#define PWM_CLEAROVERLAYS   15665  // 0, 0: removes every overlay
#define PWM_GETOVERLAYCOUNT 15666  // 0, 0: returns the number of overlays with data

constexpr int kMaxOverlays = 16;
// The values of PWM_SETMARKERS, in this order; NaN leaves that marker out.
enum PlotMarkerValue { kMarkRiseLowX, kMarkRiseLowY, kMarkRiseHighX, kMarkRiseHighY, kMarkPeakX, kMarkPeakY,
                       kMarkSettlingX, kMarkBandLow, kMarkBandHigh, kMarkerCount };

#ifdef PLOTWIN_BUILD
#define PLOTWIN_API extern "C" __declspec(dllexport)
#else
#define PLOTWIN_API extern "C" __declspec(dllimport)
#endif

PLOTWIN_API int __stdcall PlotSetupDialog(HWND owner, HWND* panes, int count, int reserved1, int reserved2);  // ordinal 1
PLOTWIN_API int __stdcall PlotInitialize(HINSTANCE instance);                                          // ordinal 2
PLOTWIN_API int __stdcall PlotLoadSettings(HWND pane, HKEY key, const char* name);                     // ordinal 3
PLOTWIN_API int __stdcall PlotSaveSettings(HWND pane, HKEY key, const char* name);                     // ordinal 4
