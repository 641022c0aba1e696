// Record time against the capture buffer: the sample count and period of a
// test, and the stride between stored points.
#pragma once
#include "app_state.h"

// The longest record time, and the longest capture delay, a test may have, in
// seconds. The step test blocks the program for record time plus delay, so a
// longer one would look like a hang even where the controller could spread its
// samples that far.
constexpr double kMaxRecordTime = 60.0;

// Sets SampleCount and SamplePeriod of settings; 0.0 when RecordTime can be kept,
// otherwise the longest record time in seconds the axis can capture. When the
// axis's servo period cannot be determined, SamplePeriod is set to 0.0 and
// SampleCount to 1 (the start sample only); RunStepTest then refuses to run.
double LimitRecordTime(TestSettings& settings, short handle, unsigned short axis, int advanced);

// What LimitRecordTime decides, from plain values.
struct RecordTimeFit {
    int sampleCount = 1;
    double samplePeriod = 0.0;
    double result = 0.0;  // 0.0: the record time fits; else the longest that does
};
// servoPeriod p0 in seconds, bufferSize B in points, advanced: the capture
// period can be set to a multiple of the servo period. A servo period that is
// not positive gives samplePeriod 0.0, sampleCount 1, result 0.0.
RecordTimeFit FitRecordTime(double recordTime, double servoPeriod, int bufferSize, bool advanced);

// The servo period used for capturing: the period of the axis's update rate, or
// its high-rate period when the update rate selects none; 0.0 when neither is positive.
double CaptureServoPeriod(short handle, unsigned short axis, double highRatePeriod);

// The stride between stored capture points: Sampling below 1 counts as 1.
int EffectiveSampling(int sampling);
