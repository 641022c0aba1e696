// One simulated axis (see sim_axis.h).
#include "sim_axis.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "libs/common/sim_limits.h"

namespace zqsim {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Power-on loop frequency of an axis with a compliant load, at most this
// fraction of its resonance.
constexpr double kResonanceMargin = 0.25;

// Shape of a profile's acceleration phase over normalised time s in [0, 1]:
// velocity fraction reached and distance fraction covered (times v x phase time).
double ShapePosition(int profile, double s) {
    switch (profile) {
    case kSCurve: return s * s / 2 + (std::cos(2 * kPi * s) - 1) / (4 * kPi * kPi);
    case kParabolic: return s * s - s * s * s / 3;
    default: return s * s / 2;
    }
}
double ShapeArea(int profile) { return profile == kParabolic ? 2.0 / 3.0 : 0.5; }
// Phase time per unit of velocity/acceleration: the S-curve and parabolic
// profiles reach the given acceleration only at their peak.
double ShapeTime(int profile) { return profile == kTrapezoidal ? 1.0 : 2.0; }

// (e^z - 1) / z and (e^z - 1 - z) / z^2, accurate near z = 0.
double Phi1(double z) {
    if (std::fabs(z) < 1e-4) return 1 + z / 2 + z * z / 6 + z * z * z / 24;
    return std::expm1(z) / z;
}
double Phi2(double z) {
    if (std::fabs(z) < 1e-3) return 0.5 + z / 6 + z * z / 24 + z * z * z / 120 + z * z * z * z / 720;
    return (std::expm1(z) - z) / (z * z);
}

// Round to the nearest integer (ties to even) with plain double arithmetic:
// much cheaper than the run-time library's nearbyint on this target.
inline double RoundToInteger(double v) {
    constexpr double kShift = 6755399441055744.0;  // 1.5 x 2^52
    if (!(std::fabs(v) < 2251799813685248.0)) return v;  // already whole (or NaN)
    return v >= 0 ? (v + kShift) - kShift : (v - kShift) + kShift;
}

double RoundSignificant(double v, int digits) {
    if (v == 0 || !std::isfinite(v)) return v;
    double p = std::pow(10.0, digits - 1 - std::floor(std::log10(std::fabs(v))));
    return std::round(v * p) / p;
}

}  // namespace

GainUnits GainUnits::For(bool floating_point) {
    GainUnits u;
    if (!floating_point) {
        u.p /= 1000;
        u.d /= 1000;
        u.i /= 1000;
        u.v /= 1000;
    }
    return u;
}

MovePlan MovePlan::Make(int profile, double distance, double velocity, double acceleration, double deceleration) {
    MovePlan m;
    m.profile = profile;
    m.distance = distance;
    double d = std::fabs(distance);
    if (d == 0 || velocity <= 0 || acceleration <= 0 || deceleration <= 0) return m;
    double k = ShapeTime(profile), c = ShapeArea(profile);
    double v = velocity;
    double ramp = c * k * v * v * (1 / acceleration + 1 / deceleration);
    if (ramp > d) v = std::sqrt(d / (c * k * (1 / acceleration + 1 / deceleration)));
    m.velocity = v;
    m.ta = k * v / acceleration;
    m.td = k * v / deceleration;
    m.tc = std::max(0.0, (d - c * v * (m.ta + m.td)) / v);
    return m;
}

double MovePlan::At(double t) const {
    double d = std::fabs(distance);
    double sign = distance < 0 ? -1 : 1;
    if (t <= 0 || velocity <= 0) return t <= 0 ? 0 : distance;
    double c = ShapeArea(profile);
    double da = c * velocity * ta;
    double p;
    if (t < ta) p = velocity * ta * ShapePosition(profile, t / ta);
    else if (t < ta + tc) p = da + velocity * (t - ta);
    else if (t < ta + tc + td) {
        double s = (t - ta - tc) / td;
        p = da + velocity * tc + velocity * td * (c - ShapePosition(profile, 1 - s));
    } else return distance;
    return sign * std::min(p, d);
}

double ServoPeriod(const AxisSpec& spec, int update_rate, int controller_type, int number_axes) {
    if (controller_type == 8) return std::max(1, number_axes) * 0.001;
    switch (update_rate) {
    case 1: return spec.low;
    case 2: return spec.medium;
    default: return spec.high;
    }
}

double ShortestServoPeriod(const AxisSpec& spec, int controller_type, int number_axes) {
    return std::min({ServoPeriod(spec, 1, controller_type, number_axes), ServoPeriod(spec, 2, controller_type, number_axes),
                     ServoPeriod(spec, 4, controller_type, number_axes)});
}

size_t ErrorHistoryLength(const AxisSpec& spec, int controller_type, int number_axes) {
    double shortest = ShortestServoPeriod(spec, controller_type, number_axes);
    return static_cast<size_t>(std::ceil(zqlimits::kMaxDerivativePeriod / shortest)) + 2;
}

Axis::Axis(const AxisSpec& spec, const GainUnits& units, int controller_type, int number_axes)
    : spec_(spec), units_(units), controller_type_(controller_type), number_axes_(number_axes),
      compliant_load_(HasCompliantLoad(spec)) {
    PowerOn();
}

void Axis::PowerOn() {
    int64_t keep_next = next_tick_ns_;
    int64_t keep_tick = tick_;
    on_ = trip_ = quiet_ = false;
    x_ = v_ = tau_ = r_ = r_prev_ = target_ = integral_ = aux_offset_ = 0;
    std::fill(errors_.begin(), errors_.end(), 0.0);
    xl_ = vl_ = 0;
    error_pos_ = 0;
    move_active_ = geared_ = false;
    capture_ = Capture();
    capture_.actual.assign(static_cast<size_t>(spec_.buffer), 0.0);
    capture_.optimal = capture_.torque = capture_.aux = capture_.actual;
    errors_.assign(ErrorHistoryLength(spec_, controller_type_, number_axes_), 0.0);
    mode = 2;
    profile = kTrapezoidal;
    output_phase = 0;
    output_mode = 0;
    update_rate = spec_.update_rate;
    motion_bytes.fill(0);
    filter_bytes.fill(0);
    scale_bytes.fill(0);
    scale = spec_.counts_per_unit > 0 ? spec_.counts_per_unit : 1.0;
    torque_limit = spec_.torque_limit;
    velocity = 5000;
    acceleration = deceleration = 200000;
    Retime();
    next_tick_ns_ = keep_next;
    tick_ = keep_tick;

    // A stable, moderately damped default tuning computed from the plant: a
    // natural frequency of 100 rad/s (less on slow loops, and well below the
    // resonance of a compliant load, which moves with the motor at these
    // frequencies), damping 0.6, and an integral term ten times slower, so a
    // step overshoots visibly and settles.
    double j = spec_.inertia, kt = spec_.torque_constant, b = spec_.viscous;
    double w = std::min(100.0, 0.2 / period_);
    if (compliant_load_) {
        j += spec_.load_inertia;
        b += spec_.load_viscous;
        w = std::min(w, kResonanceMargin * ResonanceFrequency(spec_));
    }
    double zeta = 0.6;
    gains = Gains();
    // (A plant of extreme numbers gets the largest gains the loop accepts.)
    gains.kp = std::min(zqlimits::kMaxGain, RoundSignificant(j * w * w / kt / units_.p, 3));
    gains.kd = std::min(zqlimits::kMaxGain, RoundSignificant(std::max(0.0, 2 * zeta * w * j - b) / kt / units_.d, 3));
    gains.ki = std::min(zqlimits::kMaxGain, RoundSignificant(gains.kp * units_.p * w / 10 / units_.i, 3));
    gains.il = RoundSignificant(0.2 * spec_.torque_limit, 3);
    gains.kv = 0;
    gains.derivative_period = period_;
    gains.following_error = 200;
}

void Axis::Retime() {
    // A move keeps the time it has run, in seconds, across a change of the servo period.
    if (move_active_) {
        move_time_base_ += static_cast<double>(tick_ - move_start_tick_) * period_;
        move_start_tick_ = tick_;
    }
    period_ = ServoPeriod(spec_, update_rate, controller_type_, number_axes_);
    int64_t ns = std::llround(period_ * 1e9);
    period_ns_ = std::max<int64_t>(1, ns);
    double j = spec_.inertia, b = spec_.viscous, t = period_;
    double z = -b * t / j;
    E_ = std::exp(z);
    G_ = t / j * Phi1(z);
    H_ = t * Phi1(z);
    K_ = t * t / j * Phi2(z);
    if (compliant_load_) two_mass_.Retime(spec_, period_);
}

double Axis::Measure(double x) const {
    if (spec_.counts_per_unit > 0) return RoundToInteger(x * spec_.counts_per_unit) / spec_.counts_per_unit;
    return x;
}

double Axis::Auxiliary() const {
    if (compliant_load_) return aux_offset_ + Measure(spec_.aux_ratio * xl_);
    double load = x_ - spec_.aux_compliance * spec_.torque_constant * tau_;
    return aux_offset_ + Measure(spec_.aux_ratio * load);
}

int Axis::Status() const {
    int s = 0;
    if (on_) s |= kStatusOn;
    if (move_active_) s |= kStatusMoving;
    if (r_ == target_ && !move_active_) s |= kStatusAtTarget;
    if (geared_) s |= kStatusGeared;
    if (capture_.Active()) s |= kStatusCapturing;
    if (trip_) s |= kStatusTrip;
    return s;
}

void Axis::Enable(bool on) {
    if (on) {
        trip_ = false;
        integral_ = 0;
        r_ = r_prev_ = target_ = Actual();
        std::fill(errors_.begin(), errors_.end(), 0.0);
    } else {
        tau_ = 0;
    }
    move_active_ = false;
    on_ = on;
    quiet_ = false;
}

void Axis::SetPosition(double position) {
    double shift = position - Actual();
    x_ += shift;
    xl_ += shift;
    r_ += shift;
    r_prev_ += shift;
    target_ += shift;
    move_start_ += shift;
    gear_base_ += shift;
    quiet_ = false;
}

void Axis::SetAuxPosition(double position) {
    aux_offset_ += position - Auxiliary();
    quiet_ = false;
}

void Axis::SetMode(int m) {
    mode = m;
    if (m == 1 && move_active_) {
        move_active_ = false;
        r_ = target_;
    }
    quiet_ = false;
}

void Axis::MoveTo(double target) {
    double from = r_;
    target_ = target;
    quiet_ = false;
    if (mode == 1) {
        move_active_ = false;
        r_ = target_;
        return;
    }
    move_ = MovePlan::Make(profile, target_ - from, velocity, acceleration, deceleration);
    move_start_ = from;
    move_start_tick_ = tick_;
    move_time_base_ = 0;
    move_active_ = move_.velocity > 0;
    if (!move_active_) r_ = target_;
}

void Axis::Stop() {
    move_active_ = false;
    target_ = r_;
    quiet_ = false;
}

void Axis::Gear(bool on, double ratio, const Axis* master) {
    if (on && master) {
        geared_ = true;
        gear_ratio_ = ratio;
        gear_base_ = r_;
        master_base_ = master->r_;
        move_active_ = false;
    } else {
        geared_ = false;
        target_ = r_;
    }
    quiet_ = false;
}

void Axis::ArmCapture(int points, int period_ticks, int delay_ticks) {
    capture_.wanted = std::min(points, spec_.buffer);
    capture_.recorded = 0;
    capture_.period_ticks = std::max(1, period_ticks);
    capture_.first_tick = tick_ + delay_ticks + capture_.period_ticks;
    quiet_ = false;
}

void Axis::SkipTicks(int64_t n) {
    tick_ += n;
    next_tick_ns_ += n * period_ns_;
    if (move_active_) move_start_tick_ += n;
}

void Axis::StepPlant(double force) {
    if (compliant_load_) {
        StepCompliantLoad(force);
        return;
    }
    double fc = spec_.coulomb;
    if (fc > 0) {
        double friction;
        if (v_ == 0) {
            if (std::fabs(force) <= fc) return;  // static friction holds
            friction = force > 0 ? fc : -fc;
        } else {
            friction = v_ > 0 ? fc : -fc;
        }
        double f = force - friction;
        double v1 = E_ * v_ + G_ * f;
        if (v_ != 0 && (v1 > 0) != (v_ > 0)) {
            // Friction stops the load inside this tick: it comes to rest where
            // the velocity crosses zero (linear interpolation of the crossing).
            double s = v_ / (v_ - v1);
            x_ += 0.5 * v_ * s * period_;
            v_ = 0;
            return;
        }
        x_ += H_ * v_ + K_ * f;
        v_ = v1;
        return;
    }
    x_ += H_ * v_ + K_ * force;
    v_ = E_ * v_ + G_ * force;
}

// The settings and the configuration are limited so that no step leaves the
// range of numbers; should one still do so, the axis keeps its last finite
// position and the motor switches off with the trip flag, as on an amplifier
// fault, so that no infinity or NaN ever enters its state.
void Axis::Fault(double x) {
    x_ = x;
    v_ = tau_ = integral_ = 0;
    if (!std::isfinite(xl_)) xl_ = x;
    vl_ = 0;
    r_ = r_prev_ = target_ = Measure(x);
    on_ = move_active_ = false;
    trip_ = true;
}

// ---- compliant load ----------------------------------------------------

double Axis::EncoderPosition() const { return compliant_load_ && spec_.encoder_on_load ? xl_ : x_; }

double Axis::ActualVelocity() const { return compliant_load_ && spec_.encoder_on_load ? vl_ : v_; }

void Axis::StepCompliantLoad(double force) {
    TwoMassState s{x_, v_, xl_, vl_};
    two_mass_.Step(s, force);
    x_ = s.xm;
    v_ = s.vm;
    xl_ = s.xl;
    vl_ = s.vl;
}

// ---- servo tick ----------------------------------------------------------

void Axis::Tick(const Axis* master) {
    double x0 = x_, v0 = v_, tau0 = tau_, r0 = r_, i0 = integral_, xl0 = xl_, vl0 = vl_;
    bool error_steady = true;
    const int64_t k = tick_;

    // Commanded (optimal) position.
    if (!on_) {
        r_ = Actual();
        target_ = r_;
    } else if (geared_ && master) {
        r_ = gear_base_ + gear_ratio_ * (master->r_ - master_base_);
        target_ = r_;
    } else if (move_active_) {
        double t = move_time_base_ + static_cast<double>(k - move_start_tick_) * period_;
        if (t >= move_.Duration()) {
            r_ = target_;
            move_active_ = false;
        } else {
            r_ = move_start_ + move_.At(t);
        }
    }

    if (!IsServo()) {
        // Open-loop stepper: the motor follows the command to the count.
        if (on_) {
            double x1 = Measure(r_);
            v_ = (x1 - x_) / period_;
            x_ = x1;
        }
        tau_ = 0;
    } else if (on_) {
        double e = r_ - Actual();
        if (gains.derivative_period != cached_derivative_period_ || period_ != cached_period_) {
            cached_derivative_period_ = gains.derivative_period;
            cached_period_ = period_;
            double ticks = RoundToInteger(gains.derivative_period / period_);
            derivative_ticks_ = static_cast<int>(std::clamp(ticks, 1.0, static_cast<double>(errors_.size() - 1)));
        }
        const int m = derivative_ticks_;
        int n = static_cast<int>(errors_.size());
        int old_pos = error_pos_ - m + 1;  // the ring's length varies: wrap without a division
        double e_old = errors_[static_cast<size_t>(old_pos < 0 ? old_pos + n : old_pos)];
        error_pos_ = error_pos_ + 1 < n ? error_pos_ + 1 : 0;
        errors_[static_cast<size_t>(error_pos_)] = e;
        error_steady = e == e_old;
        double p = gains.kp * units_.p * e;
        double d = gains.kd * units_.d * (e - e_old) / (m * period_);
        integral_ += gains.ki * units_.i * e * period_;
        integral_ = std::clamp(integral_, -gains.il, gains.il);
        double ff = gains.kv * units_.v * (r_ - r_prev_) / period_;
        double u = p + d + integral_ + ff;
        if (output_phase) u = -u;
        tau_ = std::clamp(u, -torque_limit, torque_limit);
        if (gains.following_error > 0 && std::fabs(e) > gains.following_error) {
            on_ = false;
            trip_ = true;
            tau_ = 0;
            move_active_ = false;
        }
    } else {
        tau_ = 0;
    }

    if (capture_.Active() && k >= capture_.first_tick &&
        (k - capture_.first_tick) % capture_.period_ticks == 0) {
        size_t j = static_cast<size_t>(capture_.recorded++);
        capture_.actual[j] = Actual();
        capture_.optimal[j] = r_;
        capture_.torque[j] = tau_;
        capture_.aux[j] = Auxiliary();
    }

    if (IsServo()) StepPlant(spec_.torque_constant * tau_);
    if (!std::isfinite(x_ + v_ + r_ + xl_ + vl_)) Fault(x0);  // (one test for all: they are far from overflow)
    r_prev_ = r_;
    ++tick_;
    next_tick_ns_ += period_ns_;
    quiet_ = x_ == x0 && v_ == v0 && xl_ == xl0 && vl_ == vl0 && tau_ == tau0 && r_ == r0 && integral_ == i0 &&
             !move_active_ && !capture_.Active() && !geared_ && error_steady;
}

}  // namespace zqsim
