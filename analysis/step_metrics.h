// Step metrics: the moves of a step test and, per move, rise time, time to
// peak, overshoot, settling time, steady-state error, following error and
// torque figures; the skew between the two axes of a gantry test. Plain
// functions over plain arrays, no window and no controller.
//
// Definitions (times from the move's start, crossings interpolated linearly
// between samples):
// - A move starts at the last sample before the commanded position (Optimal)
//   starts to change and ends where the next move starts, or at the last
//   sample. The commanded position rests when two samples in a row are equal;
//   a change of direction also starts a new move. Its size s is the commanded
//   position it comes to rest at minus the one it started from. Without a
//   commanded position (no samples, or all zero) the test is one move of size
//   `distance` from the first sample.
// - Rise time: first crossing of 10 % of s to first crossing of 90 % of s.
// - Time to peak: the sample farthest in the move's direction; overshoot that
//   distance beyond the end in % of |s|, 0 when the axis never passes the end.
// - Settling time: the last time |actual - end| exceeds 2 % of |s|, "not
//   settled" when the move's last sample is still outside that band.
// - Steady-state error: mean of actual - end over the last 10 % of the move's
//   samples (at least one).
// - Peak and RMS following error from the Error channel; peak |torque| and
//   torque saturation: % of the move's samples with |torque| at or above 99 %
//   of the torque limit.
// Every figure that cannot be computed from the input (no samples, one
// sample, a move of 0, NaN or infinite samples, no sample period, no torque
// limit, a stepper axis) is "not available": an empty std::optional, never NaN.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// A channel as the capture store holds it: data may be null when count is 0.
struct SampleSpan {
    const double* data = nullptr;
    size_t count = 0;
};

struct StepInput {
    SampleSpan actual, optimal, error, torque;
    double samplePeriod = 0.0;  // seconds between stored samples (SamplePeriod x Sampling)
    double distance = 0.0;      // the move size when the commanded position is not available
    double torqueLimit = 0.0;   // the axis's output limit; 0 or less when not known
    bool servo = true;          // false for a stepper axis: no metrics at all
};

// Sample indexes of one move: first and last sample, both included.
struct Move {
    size_t first = 0, last = 0;
    double start = 0.0;  // commanded position at the first sample
    double size = 0.0;   // s
};

struct MoveMetrics {
    Move move;
    std::optional<double> riseTime;          // seconds
    std::optional<double> timeToPeak;        // seconds
    std::optional<double> overshoot;         // % of |s|
    std::optional<double> settlingTime;      // seconds; empty when not settled or not available
    bool notSettled = false;                 // the last sample is still outside the band
    std::optional<double> steadyStateError;  // position units
    std::optional<double> peakError, rmsError;
    std::optional<double> peakTorque;
    std::optional<double> torqueSaturation;  // % of the move's samples
    // Where the markers go: the times of the 10 % and 90 % crossings and the
    // actual position at the peak.
    std::optional<double> time10, time90;  // seconds
    std::optional<double> peakValue;
};

struct SkewMetrics {
    std::optional<double> peak, rms;  // of |partner - axis|, position units
};

// The moves of a test. Empty when there is nothing to measure (no actual
// samples, a stepper axis).
std::vector<Move> FindMoves(const StepInput& in);
// The metrics of one move of in.
MoveMetrics MeasureMove(const StepInput& in, const Move& move);
// All moves of a test, measured.
std::vector<MoveMetrics> MeasureStep(const StepInput& in);

// Partner-relative skew, sample by sample: partner[j] - axis[j] over the
// samples both hold.
std::vector<double> SkewCurve(SampleSpan axis, SampleSpan partner);
SkewMetrics MeasureSkew(SampleSpan axis, SampleSpan partner);

// A figure with about three significant digits ("12.5", "46.0", "5.21",
// "1234", "0.0123"); "n/a" when not available.
std::string FormatMetric(const std::optional<double>& value);
// The one-line box text of a move: "Rise 12.5 ms  Overshoot 18.2 %  Settling
// 46.0 ms  Peak error 19.6  RMS error 5.21"; "not settled" and "n/a" where so.
std::string MetricsSummary(const MoveMetrics& m);
