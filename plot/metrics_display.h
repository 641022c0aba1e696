// The response metrics of the data on display in pane 0: the box with the
// first move's figures and its markers on the actual curve.
#pragma once
#include <vector>

#include "../analysis/step_metrics.h"
#include "../core/app_state.h"
#include "../libs/plotwin/plotwin.h"

// The marker values of PWM_SETMARKERS for a move, in the pane's units: x in
// ms where sample k of drawn samples lies at xMin + k (xMax - xMin) / (drawn - 1),
// sampleTime the seconds between samples. Absent figures are NaN.
struct MarkerValues {
    double v[kMarkerCount];
};
MarkerValues MarkersFor(const MoveMetrics& m, double sampleTime, double xMin, double xMax, size_t drawn);

// Sends the box and the markers to pane 0 when PlotMetrics and PlotActual are
// set and the current axis holds actual samples; sends nothing otherwise (the
// pane was emptied just before).
void ShowResponseMetrics(const AppState& state, size_t drawn);
