// Captured samples of the step-response tests, kept per axis: five channels,
// each with one growable sequence of doubles per axis number 1 to 16.
#pragma once
#include <cstddef>
#include <vector>

constexpr int kMaxAxes = 16;

class SampleSequence {
public:
    void Append(double value) { values_.push_back(value); }
    void Clear() { values_.clear(); }
    size_t Length() const { return values_.size(); }
    bool Empty() const { return values_.empty(); }
    // Bounds-checked read: an index past the end reads as 0.0.
    double At(size_t index) const { return index < values_.size() ? values_[index] : 0.0; }
    const double* Data() const { return values_.data(); }
    void Reserve(size_t n) { values_.reserve(n); }
    // Takes over values (which is left with the old contents); allocates nothing.
    void Swap(std::vector<double>& values) noexcept { values_.swap(values); }

private:
    std::vector<double> values_;
};

enum class Channel { Actual, Auxiliary, Optimal, Error, Torque };
constexpr int kChannelCount = 5;

struct CaptureData {
    SampleSequence Actual[kMaxAxes];
    SampleSequence Auxiliary[kMaxAxes];
    SampleSequence Optimal[kMaxAxes];
    SampleSequence Error[kMaxAxes];
    SampleSequence Torque[kMaxAxes];

    // The sequence of a channel for axis 1 to 16; nullptr for any other axis.
    SampleSequence* Sequence(Channel channel, int axis);
    const SampleSequence* Sequence(Channel channel, int axis) const;
    // Empties the five sequences of one axis (nothing for an axis outside 1 to 16).
    void ClearAxis(int axis);
};

struct AppState;
// The sequence of a channel for an axis; an axis of 0 or less means the current
// Axis of the state. Returns nullptr when the axis has no slot (outside 1 to 16).
SampleSequence* ChannelFor(AppState& state, Channel channel, int axis);
const SampleSequence* ChannelFor(const AppState& state, Channel channel, int axis);
