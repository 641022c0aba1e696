// The program's single state record, created by the main window at WM_CREATE
// and reached by every other window through the main window's user data.
#pragma once
#include <windows.h>

#include "capture_data.h"

// Plot style values are the radio button ids of the plot settings page.
constexpr int kPlotSingle = 1220;
constexpr int kPlotMulti = 1221;
constexpr int kPlotSeparate = 1222;
constexpr int kPaneCount = 5;

// Reads the gain of an axis and, when newValue is not null, writes it to the
// axis and, when partner is nonzero, to the partner too. Returns the gain read
// before any write. result (when not null) receives 0, or the code of the first
// call that failed; a gain that could not be read is not written.
typedef double (*GainAccessor)(short handle, unsigned short axis, unsigned short partner, const double* newValue,
                               int* result);

struct GainChannel {
    double Percent = 0.0;
    double UpperLimit = 100.0;
    double LowerLimit = 0.0;
    double FullScale = 10.0;
    GainAccessor Access = nullptr;
};

struct TestSettings {
    int Count = 1;
    BYTE Cycle = 0;
    double Delay = 0.0;
    double Distance = 100.0;
    double Dwell = 0.0;
    int SampleCount = 512;
    double RDwell = 0.0;
    double SamplePeriod = 0.0;
    double RecordTime = 0.5;
    BYTE Repeat = 0;
    int Sampling = 1;
    BYTE Trajectory = 0;
};

// What the step metrics need to know of the data on display beyond LastTest:
// which axis was tested and with which gantry partner, the torque limit read
// at the test (0 when not known) and whether the axis is a stepper.
struct TestOrigin {
    int Axis = 0;     // 0: not known (the current axis)
    int Partner = 0;  // gantry partner captured with it, 0 for none
    double TorqueLimit = 0.0;
    bool Stepper = false;
    double SampleTime = 0.0;  // seconds between stored samples; 0: from LastTest
};

struct AppState {
    HWND PlotPanes[kPaneCount] = {};
    GainChannel PropGain;
    GainChannel IntGain;
    GainChannel DerGain;
    TestSettings LastTest;
    TestSettings Test;
    int AutoInit = 0;
    int Axis = 1;
    double AuxiliaryScale = 1.0;
    int AuxCapture = 0;
    int AdvancedCapture = 0;
    int TorqueCapture = 0;
    BYTE Gantry = 0;
    int GantryMaster = 1;
    int GantrySlave = 2;
    BYTE GantryShare = 1;
    short ControllerHandle = 0;
    HWND PanelWindow = nullptr;
    HWND MainWindow = nullptr;
    int ControllerID = 0;
    int LimitsDialogMask = 0;
    BYTE PlotActual = 1;
    BYTE PlotAuxiliary = 0;
    BYTE PlotOptimal = 1;
    BYTE PlotError = 1;
    BYTE PlotTarget = 1;
    BYTE PlotTorque = 0;
    BYTE PlotMetrics = 1;  // response metrics box and markers in pane 0
    BYTE Modified = 0;
    // Auto Tune's response for this axis: 0 Stiff, 1 Medium, 2 Soft.
    BYTE AutoTuneStyle = 1;
    int PlotStyle = kPlotMulti;
    int TestDone = 0;
    CaptureData Capture;
    // Where the data on display came from, for its metrics and the test history.
    TestOrigin LastOrigin;
    // The test history of the program's session (history/), created and
    // released with the main window.
    struct TestHistory* History = nullptr;

    // Number of plot panes in use, 1 to 5, derived from the plot choices.
    int PlotPaneCount() const;
};

// The state of the main window (or, for a child, of its parent chain's main
// window); nullptr before WM_CREATE stored it or after WM_DESTROY.
AppState* StateOf(HWND window);
