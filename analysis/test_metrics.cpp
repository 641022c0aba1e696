// The step metrics of the data on display.
#include "test_metrics.h"

#include <cmath>

#include "../core/record_time.h"

namespace {

SampleSpan SpanOf(const AppState& s, Channel channel, int axis) {
    const SampleSequence* seq = ChannelFor(s, channel, axis);
    if (!seq || seq->Empty()) return {};
    return {seq->Data(), seq->Length()};
}

bool HasPartner(const AppState& s) {
    const TestOrigin& o = s.LastOrigin;
    return s.TestDone && o.Partner > 0 && o.Partner <= kMaxAxes && o.Partner != s.Axis && o.Axis == s.Axis;
}

}  // namespace

double StoredSampleTime(const AppState& s) {
    if (std::isfinite(s.LastOrigin.SampleTime) && s.LastOrigin.SampleTime > 0) return s.LastOrigin.SampleTime;
    return s.LastTest.SamplePeriod * EffectiveSampling(s.LastTest.Sampling);
}

StepInput StepInputOf(const AppState& s) {
    StepInput in;
    in.actual = SpanOf(s, Channel::Actual, 0);
    in.optimal = SpanOf(s, Channel::Optimal, 0);
    in.error = SpanOf(s, Channel::Error, 0);
    in.torque = SpanOf(s, Channel::Torque, 0);
    in.samplePeriod = StoredSampleTime(s);
    in.distance = s.LastTest.Distance;
    in.torqueLimit = s.LastOrigin.TorqueLimit;
    in.servo = !s.LastOrigin.Stepper;
    return in;
}

std::vector<MoveMetrics> MeasureDisplayedTest(const AppState& s) {
    if (!s.TestDone) return {};
    return MeasureStep(StepInputOf(s));
}

std::vector<double> DisplayedSkew(const AppState& s) {
    if (!HasPartner(s)) return {};
    return SkewCurve(SpanOf(s, Channel::Actual, 0), SpanOf(s, Channel::Actual, s.LastOrigin.Partner));
}

SkewMetrics MeasureDisplayedSkew(const AppState& s) {
    if (!HasPartner(s)) return {};
    return MeasureSkew(SpanOf(s, Channel::Actual, 0), SpanOf(s, Channel::Actual, s.LastOrigin.Partner));
}
