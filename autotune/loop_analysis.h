// How the controller turns its gain numbers into loop output, found from a
// captured move (error and output), so that no unit of a particular controller
// is assumed: a fixed-point controller's gain numbers are 1000 times those of
// a floating-point one for the same loop.
#pragma once
#include <cstddef>

// The gain numbers in force during the capture, as the controller holds them.
struct GainNumbers {
    double p = 0, i = 0, d = 0, v = 0;
};

// One capture at the servo period: error = optimal - actual, output as captured.
struct LoopCapture {
    const double* error = nullptr;
    const double* output = nullptr;
    const double* optimal = nullptr;  // for the velocity feed-forward term; may be null
    size_t count = 0;
    double period = 0;        // servo period, seconds
    int derivativeTicks = 1;  // derivative sample period in servo periods
    double outputLimit = 0;   // samples at this output are left out; 0: none
};

// Loop output per gain number: P term = p x P x e, D term = d x D x de/dt,
// I term grows by i x I x e dt, feed-forward = v x V x commanded velocity.
// A scale whose gain was 0 cannot be seen and is marked unknown.
struct LoopScale {
    bool ok = false;
    double p = 0, i = 0, d = 0, v = 0;
    bool pKnown = false, iKnown = false, dKnown = false, vKnown = false;
    int lag = 0;           // samples by which the output follows the error
    double quality = 0;    // share of the output changes the fit explains
    size_t samples = 0;    // samples used
};

// Proportional, derivative and feed-forward scales from a capture made with
// the integral gain at 0 (the integrator then holds its value, so the output
// follows the error exactly). gains.i is ignored.
LoopScale AnalyseLoop(const LoopCapture& capture, const GainNumbers& gains);

// The integral scale from a capture made with integral gain gains.i != 0, given
// the other scales: what the output changes beyond them is the integrator's
// growth, except while it is held at its limit. Sets scale.i and iKnown; keeps
// scale unchanged when the integrator never grew measurably.
void AnalyseIntegral(const LoopCapture& capture, const GainNumbers& gains, LoopScale& scale);
