// A motor and a load joined by a spring and a damper (a belt, a coupling, a
// long lead screw), stepped exactly over one servo period with the motor force held.
#pragma once

#include "sim_config.h"

namespace zqsim {

struct TwoMassState {
    double xm = 0, vm = 0;  // motor position and velocity
    double xl = 0, vl = 0;  // load position and velocity
};

// Motor:  inertia x am = force - viscous x vm - Coulomb friction - spring - damper
// Load:   load_inertia x al = spring + damper - load_viscous x vl
// with spring = coupling_stiffness x (xm - xl), damper = coupling_damping x (vm - vl).
class TwoMassPlant {
public:
    // Computes the step coefficients of an axis for one servo period.
    void Retime(const AxisSpec& spec, double period);
    // Advances one servo period with the motor force held; Coulomb friction acts
    // on the motor, and static friction holds it while the net force on it stays below.
    void Step(TwoMassState& s, double force) const;

private:
    void StepWithFriction(TwoMassState& s, double force) const;
    void StepFree(TwoMassState& s, double force) const;
    void StepHeld(TwoMassState& s) const;  // the motor at rest, held by static friction

    // Free motion over one period, per state (xm, vm, xl, vl): the columns of
    // the motor position (the twist, as the motion depends on it alone), the two
    // velocities and the force.
    double twist_[4] = {}, vm_[4] = {}, vl_[4] = {}, gamma_[4] = {};
    // The load swinging on a motor that static friction holds:
    // (xl - xm, vl)' = hold x (xl - xm, vl).
    double hold_[2][2] = {};
    double coulomb_ = 0, stiffness_ = 0, damping_ = 0;
    double period_ = 0;  // of one step
    int substeps_ = 1;   // steps per servo period
};

// True when the axis drives its load through a compliant coupling.
bool HasCompliantLoad(const AxisSpec& spec);

// Frequency of the coupled mode, sqrt(k (1/Jm + 1/Jl)) in rad/s (0 without a load inertia).
double ResonanceFrequency(const AxisSpec& spec);
// The coupling's fastest motion in rad/s: its resonance, or the rate at which its
// damper alone relaxes a twist, c (1/Jm + 1/Jl).
double CouplingRate(const AxisSpec& spec);
// The most the coupling may move within one servo period, CouplingRate x period,
// for the simulation to follow it: five turns.
double MaxCouplingAngle();

}  // namespace zqsim
