// Plot display: turns the stored samples of the current axis into curves in the
// five plot panes for the chosen plot style.
#pragma once
#include <vector>

#include "../core/app_state.h"
#include "../core/plot_panes.h"

// Rebuilds all panes from the stored data of the current axis.
void UpdatePlots(HWND mainWindow);
// Sets the pane's y range from its data range, rounded to the scale table.
void ScalePaneY(HWND pane, bool symmetric);
// Grid divisions for a pane extent in pixels: 2 below small, 4 below large, else 10.
int PaneDivisions(int extent, int small, int large);
// Sets the pane's grid divisions from its size in pixels.
void SetPaneDivisions(HWND pane, int width, int height);

// The y range ScalePaneY sends for a data range lo..hi; an end that is not
// set is not sent (a value beyond the largest scale entry finds no entry).
struct YScale {
    bool hasMin = false;
    double min = 0.0;
    bool hasMax = false;
    double max = 0.0;
};
YScale ScaleY(double lo, double hi, bool symmetric);

// What UpdatePlots does to the panes, decided from plain values.
struct PlotInputs {
    int style = kPlotMulti;
    bool plotActual = false, plotOptimal = false, plotError = false, plotTorque = false;
    bool plotTarget = false, plotAuxiliary = false;
    bool auxCapture = false;
    bool trajectory = false;  // Optimal and Error take part only while it is set
    bool hasActual = false, hasOptimal = false, hasError = false, hasTorque = false, hasAuxiliary = false;
    bool hasSkew = false;  // a gantry test: series 4 "Skew" joins the error pane
};
enum class PaneOpKind {
    EmptyRange,      // PWM_ADDRANGE(0, 0)
    AddRange,        // PWM_ADDRANGE with the samples of series
    AddTargetRange,  // PWM_ADDRANGE(1, Distance)
    LabelDistance,   // PWM_SETYLABEL("Distance")
    LabelVolts,      // PWM_SETYLABEL("Volts")
    FormatVolts,     // PWM_SETYFORMAT("%7.3lf")
    ScalePlain,      // ScalePaneY(pane, false)
    ScaleSymmetric,  // ScalePaneY(pane, true)
    SetData,         // PWM_SETDATA and PWM_SETSERIESNAME of series
    SetTarget,       // the dashed target line, series 6
};
struct PaneOp {
    int pane;
    PaneOpKind kind;
    int series;  // for AddRange and SetData: a PlotSeries number; else -1
};
// The range pass and then the series pass, in the order the messages go out.
std::vector<PaneOp> PlanPlots(const PlotInputs& in);

// PWM_SETDATA carries its count in 16 bits: a longer sequence is sent as every
// k-th sample, k the smallest stride that brings it to 65535 values or fewer,
// so the curve still spans the whole record time. Returns the values to send.
std::vector<double> Decimate(const double* values, size_t count, size_t limit = 65535);
