// Identification of a servo axis from captured output and motion:
// acceleration = gain x output(delayed) - viscous x velocity - coulomb x sign(velocity),
// by least squares over smoothed second differences of the captured positions.
#pragma once
#include <cstddef>
#include <vector>

// One capture at the servo period: actual position and loop output.
struct MotionCapture {
    const double* actual = nullptr;
    const double* output = nullptr;
    size_t count = 0;
};

struct PlantModel {
    bool ok = false;
    double gain = 0;      // acceleration per unit of output (units/s^2)
    double viscous = 0;   // 1/s: viscous deceleration per unit of velocity
    double coulomb = 0;   // units/s^2: friction deceleration while moving
    int delay = 0;        // whole servo periods between output and force
    double quality = 0;   // share of the smoothed acceleration the fit explains
    double resolution = 0;  // smallest position step seen (one encoder count)
    double peakOutput = 0;  // largest |output| seen
    size_t samples = 0;
};

// Fits the model to all captures (each at servo period `period`), trying
// delays 0 to maxDelay and keeping the shortest that explains the data within
// 2 % of the best (each judged on the same windows).
PlantModel IdentifyPlant(const std::vector<MotionCapture>& captures, double period, int maxDelay = 3);

// Smallest nonzero step between consecutive positions, 0 when the axis never moved.
double PositionResolution(const double* actual, size_t count);
