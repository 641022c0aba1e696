// One simulated axis: trajectory generator, digital PID servo loop, amplifier,
// DC motor and load (rigid, or joined to the motor by a spring), encoders and
// capture buffer, advanced one servo tick at a time.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim_config.h"
#include "sim_two_mass.h"

namespace zqsim {

// Converts the controller's gain numbers into loop terms (amplifier output per
// unit of error, per unit/s, per unit*s, per unit/s of commanded velocity).
// A fixed-point controller counts its gains in thousandths of these.
struct GainUnits {
    double p = 0.1;
    double d = 0.001;
    double i = 1.0;
    double v = 1e-5;
    static GainUnits For(bool floating_point);
};

struct Gains {
    double kp = 0, kd = 0, ki = 0, il = 0, kv = 0;
    double derivative_period = 0;  // seconds
    double following_error = 0;    // 0: no limit
};

enum Profile { kTrapezoidal = 1, kSCurve = 2, kParabolic = 4 };

// A planned point-to-point move: position offset from its start as a function of time.
struct MovePlan {
    int profile = kTrapezoidal;
    double distance = 0;  // signed
    double velocity = 0, ta = 0, tc = 0, td = 0;
    double Duration() const { return ta + tc + td; }
    double At(double t) const;
    static MovePlan Make(int profile, double distance, double velocity, double acceleration, double deceleration);
};

// Status word bits; ZqDecodeStatus flag n tests bit n-1.
enum StatusBits {
    kStatusOn = 1 << 0,         // flag 1 motor on
    kStatusMoving = 1 << 1,     // flag 2 trajectory in progress
    kStatusAtTarget = 1 << 2,   // flag 3 optimal position at target
    kStatusGeared = 1 << 4,     // flag 5 following a master axis
    kStatusCapturing = 1 << 5,  // flag 6 capture armed or recording
    kStatusTrip = 1 << 6,       // flag 7 motor switched off by the following error limit
};

struct Capture {
    std::vector<double> actual, optimal, torque, aux;
    int64_t first_tick = 0;  // tick index of point 0
    int period_ticks = 1;
    int wanted = 0;
    int recorded = 0;
    bool Active() const { return recorded < wanted; }
};

class Axis {
public:
    Axis(const AxisSpec& spec, const GainUnits& units, int controller_type, int number_axes);

    // Power-on defaults: motor off at position 0, default gains and motion.
    void PowerOn();

    const AxisSpec& Spec() const { return spec_; }
    bool IsServo() const { return (spec_.flags & 1) != 0; }
    double Period() const { return period_; }
    int64_t PeriodNs() const { return period_ns_; }
    int64_t NextTickNs() const { return next_tick_ns_; }
    int64_t TickIndex() const { return tick_; }

    // One servo tick at NextTickNs(); master is the gearing master or null.
    void Tick(const Axis* master);
    // Skips n ticks without simulating them (used only when nothing changes).
    void SkipTicks(int64_t n);
    bool Quiet() const { return quiet_; }
    void Wake() { quiet_ = false; }

    // Settings, already validated by the caller.
    Gains gains;
    double velocity = 0, acceleration = 0, deceleration = 0, torque_limit = 0;
    int profile = kTrapezoidal;
    int update_rate = 4;
    int output_phase = 0;
    int output_mode = 0;
    int mode = 2;  // 2: trajectory generator on, 1: off
    std::array<unsigned char, 96> motion_bytes{};
    std::array<unsigned char, 64> filter_bytes{};
    std::array<unsigned char, 32> scale_bytes{};
    double scale = 1;

    // Readouts.
    bool MotorOn() const { return on_; }
    bool Tripped() const { return trip_; }
    bool Moving() const { return move_active_; }
    bool Geared() const { return geared_; }
    double Actual() const { return Measure(EncoderPosition()); }
    double Optimal() const { return r_; }
    double Target() const { return target_; }
    double Torque() const { return tau_; }
    double Auxiliary() const;
    double ActualVelocity() const;
    double FollowingError() const { return r_ - Actual(); }
    int Status() const;
    const Capture& CaptureData() const { return capture_; }

    // Commands.
    void Enable(bool on);
    void SetPosition(double position);
    void SetAuxPosition(double position);
    void SetMode(int mode);
    void MoveTo(double target);  // from the current target
    void Stop();
    void Gear(bool on, double ratio, const Axis* master);
    // The master's position readout was shifted by shift (not moved).
    void MasterShifted(double shift) { master_base_ += shift; }
    void ArmCapture(int points, int period_ticks, int delay_ticks);
    void Retime();  // after update_rate changed

    int CaptureBufferSize() const { return spec_.buffer; }

private:
    double Measure(double x) const;
    void StepPlant(double force);
    void Fault(double x);
    // The compliant load: its step, and the side that the position encoder reads.
    bool CompliantLoad() const { return compliant_load_; }
    void StepCompliantLoad(double force);
    double EncoderPosition() const;

    AxisSpec spec_;
    GainUnits units_;
    int controller_type_;
    int number_axes_;
    double period_ = 0.0005;
    int64_t period_ns_ = 500000;
    int64_t next_tick_ns_ = 0;
    int64_t tick_ = 0;
    // Plant step coefficients: v' = E v + G f, x' = x + H v + K f.
    double E_ = 1, G_ = 0, H_ = 0, K_ = 0;
    bool compliant_load_ = false;
    TwoMassPlant two_mass_;

    bool on_ = false, trip_ = false, quiet_ = false;
    double x_ = 0, v_ = 0, tau_ = 0;  // motor position and velocity, amplifier output
    double xl_ = 0, vl_ = 0;           // load position and velocity (compliant load only)
    double r_ = 0, r_prev_ = 0, target_ = 0, integral_ = 0, aux_offset_ = 0;
    std::vector<double> errors_;  // loop error of the last servo ticks, a ring
    int error_pos_ = 0;
    double cached_derivative_period_ = -1, cached_period_ = -1;
    int derivative_ticks_ = 1;
    bool move_active_ = false;
    MovePlan move_;
    int64_t move_start_tick_ = 0;
    double move_time_base_ = 0;  // seconds the move had run at move_start_tick_
    double move_start_ = 0;
    bool geared_ = false;
    double gear_ratio_ = 1, gear_base_ = 0, master_base_ = 0;
    Capture capture_;
};

// Servo period of an axis at an update rate (type 8 controllers: axes x 1 ms).
double ServoPeriod(const AxisSpec& spec, int update_rate, int controller_type, int number_axes);
// The shortest of its servo periods.
double ShortestServoPeriod(const AxisSpec& spec, int controller_type, int number_axes);
// Entries of the loop's error history: room for the longest derivative span,
// the longest sample period at the shortest servo period.
size_t ErrorHistoryLength(const AxisSpec& spec, int controller_type, int number_axes);

}  // namespace zqsim
