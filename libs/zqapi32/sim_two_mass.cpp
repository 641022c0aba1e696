// Motor and load joined by a spring and a damper (see sim_two_mass.h).
#include "sim_two_mass.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace zqsim {

namespace {

template <std::size_t N>
using Matrix = std::array<std::array<double, N>, N>;

template <std::size_t N>
Matrix<N> Multiply(const Matrix<N>& a, const Matrix<N>& b) {
    Matrix<N> c{};
    for (std::size_t i = 0; i < N; ++i)
        for (std::size_t k = 0; k < N; ++k)
            for (std::size_t j = 0; j < N; ++j) c[i][j] += a[i][k] * b[k][j];
    return c;
}

// exp(m) by scaling and squaring of a Taylor series. The callers balance m
// (velocities in units per servo period), so its norm reflects its eigenvalues.
template <std::size_t N>
Matrix<N> Exponential(Matrix<N> m) {
    double norm = 0;
    for (const auto& row : m) {
        double sum = 0;
        for (double v : row) sum += std::fabs(v);
        norm = std::fmax(norm, sum);
    }
    int squarings = 0;
    if (norm > 0.5) {
        std::frexp(norm, &squarings);  // norm < 2^squarings
        ++squarings;
    }
    const double scale = std::ldexp(1.0, -squarings);
    for (auto& row : m)
        for (double& v : row) v *= scale;
    Matrix<N> result{}, term{};
    for (std::size_t i = 0; i < N; ++i) result[i][i] = term[i][i] = 1;
    // With a norm of at most 0.5, the terms beyond the 20th are below 1e-25.
    for (int n = 1; n <= 20; ++n) {
        term = Multiply(term, m);
        for (std::size_t i = 0; i < N; ++i)
            for (std::size_t j = 0; j < N; ++j) {
                term[i][j] /= n;
                result[i][j] += term[i][j];
            }
    }
    for (int s = 0; s < squarings; ++s) result = Multiply(result, result);
    return result;
}

}  // namespace

// Friction is decided once per step from the motor's state at its start, which
// holds only while the coupling swings through a small angle within the step:
// faster couplings on a motor with friction take several steps per servo period.
constexpr double kPi = 3.14159265358979323846;
constexpr double kFrictionStepAngle = kPi / 6;  // radians of the coupling's fastest motion
constexpr int kMaxSubsteps = 60;                // five turns within a servo period

namespace {

int FrictionSubsteps(const AxisSpec& spec, double period) {
    if (!(spec.coulomb > 0)) return 1;
    double n = std::ceil(CouplingRate(spec) * period / kFrictionStepAngle);
    return static_cast<int>(std::clamp(n, 1.0, static_cast<double>(kMaxSubsteps)));
}

}  // namespace

bool HasCompliantLoad(const AxisSpec& spec) { return (spec.flags & 1) != 0 && spec.load_inertia > 0; }

double ResonanceFrequency(const AxisSpec& spec) {
    if (!(spec.load_inertia > 0)) return 0;
    return std::sqrt(spec.coupling_stiffness * (1 / spec.inertia + 1 / spec.load_inertia));
}

double CouplingRate(const AxisSpec& spec) {
    if (!(spec.load_inertia > 0)) return 0;
    return std::fmax(ResonanceFrequency(spec), spec.coupling_damping * (1 / spec.inertia + 1 / spec.load_inertia));
}

double MaxCouplingAngle() { return kFrictionStepAngle * kMaxSubsteps; }

void TwoMassPlant::Retime(const AxisSpec& spec, double period) {
    substeps_ = FrictionSubsteps(spec, period);
    const double t = period / substeps_, jm = spec.inertia, jl = spec.load_inertia;
    const double k = spec.coupling_stiffness, c = spec.coupling_damping;
    const double bm = spec.viscous, bl = spec.load_viscous;
    coulomb_ = spec.coulomb;
    stiffness_ = k;
    damping_ = c;
    period_ = t;

    // State (xm, vm T, xl, vl T) over time in (sub)steps, force as a fifth,
    // constant state: the exponential gives the free step and its force column.
    Matrix<5> m{};
    m[0][1] = 1;
    m[1][0] = -k * t * t / jm;
    m[1][1] = -(bm + c) * t / jm;
    m[1][2] = k * t * t / jm;
    m[1][3] = c * t / jm;
    m[1][4] = t * t / jm;
    m[2][3] = 1;
    m[3][0] = k * t * t / jl;
    m[3][1] = c * t / jl;
    m[3][2] = -k * t * t / jl;
    m[3][3] = -(c + bl) * t / jl;
    Matrix<5> e = Exponential(m);
    const double d[4] = {1, t, 1, t};
    // Moving motor and load together changes nothing but their positions, so
    // the step needs only the twist xm - xl: positions add to themselves,
    // velocities do not.
    for (int i = 0; i < 4; ++i) {
        twist_[i] = (e[i][0] - (i == 0 ? 1 : 0)) / d[i];
        vm_[i] = e[i][1] * t / d[i];
        vl_[i] = e[i][3] * t / d[i];
        gamma_[i] = e[i][4] / d[i];
    }

    // The load alone on its spring and damper, the motor standing still: (twist, vl T).
    Matrix<2> h{};
    h[0][1] = 1;
    h[1][0] = -k * t * t / jl;
    h[1][1] = -(c + bl) * t / jl;
    Matrix<2> eh = Exponential(h);
    hold_[0][0] = eh[0][0];
    hold_[0][1] = eh[0][1] * t;
    hold_[1][0] = eh[1][0] / t;
    hold_[1][1] = eh[1][1];
}

void TwoMassPlant::StepFree(TwoMassState& s, double force) const {
    const double q = s.xm - s.xl, vm = s.vm, vl = s.vl;
    s.xm += twist_[0] * q + vm_[0] * vm + vl_[0] * vl + gamma_[0] * force;
    s.vm = twist_[1] * q + vm_[1] * vm + vl_[1] * vl + gamma_[1] * force;
    s.xl += twist_[2] * q + vm_[2] * vm + vl_[2] * vl + gamma_[2] * force;
    s.vl = twist_[3] * q + vm_[3] * vm + vl_[3] * vl + gamma_[3] * force;
}

void TwoMassPlant::StepHeld(TwoMassState& s) const {
    double offset = s.xl - s.xm;
    double offset1 = hold_[0][0] * offset + hold_[0][1] * s.vl;
    s.vl = hold_[1][0] * offset + hold_[1][1] * s.vl;
    s.xl = s.xm + offset1;
    s.vm = 0;
}

void TwoMassPlant::Step(TwoMassState& s, double force) const {
    if (coulomb_ <= 0) {
        StepFree(s, force);
        return;
    }
    for (int i = 0; i < substeps_; ++i) StepWithFriction(s, force);
}

void TwoMassPlant::StepWithFriction(TwoMassState& s, double force) const {
    double direction;
    if (s.vm == 0) {
        // Static friction holds the motor against the drive and the coupling's pull.
        double net = force - stiffness_ * (s.xm - s.xl) + damping_ * s.vl;
        if (std::fabs(net) <= coulomb_) {
            StepHeld(s);
            return;
        }
        direction = net > 0 ? 1 : -1;
    } else {
        direction = s.vm > 0 ? 1 : -1;
    }
    TwoMassState moved = s;
    StepFree(moved, force - direction * coulomb_);
    if (moved.vm * direction > 0) {
        s = moved;
        return;
    }
    // Friction brings the motor to rest inside this period: it stops where its
    // velocity crosses zero (linear interpolation of the crossing), and the load
    // swings on the spring from there as on a motor held still, so the two
    // stay consistent however stiff the coupling.
    if (s.vm != 0) s.xm += 0.5 * s.vm * s.vm / (s.vm - moved.vm) * period_;
    StepHeld(s);
}

}  // namespace zqsim
