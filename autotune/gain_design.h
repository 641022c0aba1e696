// Gain computation for an identified axis: pole placement for the three loop
// gains, a simulation of the identified model through the controller's own
// discrete loop, the phase margin of that loop, and the search for the fastest
// gains that meet a response style.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "identify.h"
#include "step_figures.h"

enum class TuneStyle { Stiff = 0, Medium = 1, Soft = 2 };

// Overshoot a style allows, in %.
double StyleOvershoot(TuneStyle style);

// Loop gains in loop output units: output per unit of error, integrator growth
// per unit of error and second, output per unit/s of error change.
struct LoopGains {
    double kp = 0, ki = 0, kd = 0;
};

// The identified axis with the loop timing and limits of its controller.
struct ModelAxis {
    PlantModel plant;
    double period = 0.0005;        // servo period, s
    int derivativeTicks = 1;       // derivative sample period in servo periods
    double outputLimit = 10;       // torque limit in output units
    double integrationLimit = 0;   // integrator limit in output units; 0: none
};

// Closed-loop poles at (s + alpha w)(s^2 + 2 zeta w s + w^2) for a plant
// gain / (s (s + viscous)): the exact continuous placement.
LoopGains PlaceGains(double gain, double viscous, double omega, double zeta, double alpha);

// The same poles mapped to z = exp(s T) and placed in the sampled loop the
// controller runs (output held over a period, the axis's delay, the
// derivative over its sample period): the placement that stays exact where
// the loop's bandwidth is not small against the servo rate. All zero when no
// gains with kp > 0, ki >= 0 and kd >= 0 place those poles.
LoopGains PlaceSampledGains(const ModelAxis& axis, double omega, double zeta, double alpha);

// Response of the model to a commanded position per servo period (the last
// value holds after the end), starting at rest at 0, for ticks periods.
struct ModelResponse {
    std::vector<double> actual, optimal, output;
};
ModelResponse SimulateModel(const ModelAxis& axis, const LoopGains& gains, const std::vector<double>& command,
                            size_t ticks);

// Phase margin in degrees of the discrete loop (controller, output hold, delay,
// plant without friction): the smallest over all gain crossovers; 180 when the
// loop gain never crosses 1.
double PhaseMargin(const ModelAxis& axis, const LoopGains& gains);

// Output change from one encoder count through the derivative term.
double DerivativeNoise(const ModelAxis& axis, const LoopGains& gains);

struct DesignLimits {
    double overshootTarget = -1;  // % to design for; below 0: the style's limit
    double omegaCap = 0;          // rad/s, 0: none
    double minPhaseMargin = 45;   // degrees
    double maxNoiseShare = 0.2;   // derivative noise of one count / output limit
    // Longest derivative sample period the design may choose, in servo
    // periods; 0 or at most the axis's own: the axis's period is kept.
    int maxDerivativeTicks = 0;
};

struct Design {
    bool ok = false;
    LoopGains gains;
    double omega = 0, zeta = 0, alpha = 0;
    double phaseMargin = 0;
    int derivativeTicks = 1;  // derivative sample period the gains are for, in servo periods
    StepFigures predicted;
    int simulations = 0;
    std::string reason;  // why no design was found
};

// The gains for the style: Medium the fastest settling within 5 % overshoot,
// Stiff the highest proportional gain within 10 %, Soft the fastest within 1 %
// at no more than half the bandwidth Medium would use. The step is the
// commanded trajectory, simulated for ticks servo periods. Longer derivative
// sample periods (doubling up to limits.maxDerivativeTicks) divide the noise
// of one count through D at a cost in phase; each is designed for, and one
// is taken when the model's step is clearly better with it.
Design DesignGains(const ModelAxis& axis, TuneStyle style, const std::vector<double>& command, size_t ticks,
                   const DesignLimits& limits = {});

// A commanded step of distance (a jump at tick 0), or a trapezoidal move with
// the given velocity and accelerations, one position per servo period.
std::vector<double> StepCommand(double distance, size_t ticks);
std::vector<double> TrapezoidCommand(double distance, double velocity, double acceleration, double deceleration,
                                     double period, size_t ticks);
