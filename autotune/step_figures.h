// The figures Auto Tune judges a step by: rise time (10 % to 90 %), overshoot
// in % of the move and settling time into a 2 % band around the commanded end,
// all from the start of the commanded move. It measures model and real steps
// alike, so the prediction and the check compare like with like.
#pragma once
#include <cstddef>

struct StepFigures {
    bool ok = false;          // false: no move in the command
    double rise = 0;          // seconds; -1 when 90 % was never reached
    double overshoot = 0;     // % of the move
    double settling = 0;      // seconds; -1 when the last sample is outside the band
    bool Settled() const { return ok && settling >= 0; }
};

StepFigures MeasureStep(const double* actual, const double* optimal, size_t count, double samplePeriod);
