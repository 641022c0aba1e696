// The step metrics of the data on display: the capture store's channels of the
// current axis with LastTest and LastOrigin of the state record.
#pragma once
#include <vector>

#include "../core/app_state.h"
#include "step_metrics.h"

// Seconds between stored samples: LastOrigin.SampleTime when known (a file's
// time column), else LastTest.SamplePeriod x Sampling.
double StoredSampleTime(const AppState& state);
// The channels of the current axis with the sample time, the distance, the
// torque limit and the axis kind of the data on display.
StepInput StepInputOf(const AppState& state);
// All moves of the data on display, measured; empty while TestDone is 0.
std::vector<MoveMetrics> MeasureDisplayedTest(const AppState& state);
// The gantry skew curve of the data on display: partner minus axis, when the
// test captured a partner of the current axis; empty otherwise.
std::vector<double> DisplayedSkew(const AppState& state);
SkewMetrics MeasureDisplayedSkew(const AppState& state);
