// Step metrics against signals whose answers are known in closed form, moves
// of cycle and repeat tests, gantry skew and degenerate input.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "analysis/step_metrics.h"

namespace {

const double kPi = std::acos(-1.0);
const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

SampleSpan Span(const std::vector<double>& v) { return {v.data(), v.size()}; }

// A test as the capture store holds it: the command jumps to size at sample
// 1 and the axis follows y(t) (normalised, t from the first sample).
struct Signal {
    std::vector<double> actual, optimal, error, torque;
    StepInput Input(double dt) const {
        StepInput in;
        in.actual = Span(actual);
        in.optimal = Span(optimal);
        in.error = Span(error);
        in.torque = Span(torque);
        in.samplePeriod = dt;
        return in;
    }
};

template <class F>
Signal Step(double size, size_t n, double dt, F y) {
    Signal s;
    for (size_t i = 0; i < n; ++i) {
        double t = static_cast<double>(i) * dt;
        s.optimal.push_back(i == 0 ? 0.0 : size);
        s.actual.push_back(size * y(t));
        s.error.push_back(s.actual.back() - s.optimal.back());
    }
    return s;
}

TEST(StepMetrics, FirstOrderRiseAndSettling) {
    const double tau = 0.01, dt = tau / 1000;
    for (double size : {100.0, -50.0}) {
        SCOPED_TRACE(size);
        Signal s = Step(size, 8000, dt, [&](double t) { return 1 - std::exp(-t / tau); });
        std::vector<MoveMetrics> m = MeasureStep(s.Input(dt));
        ASSERT_EQ(m.size(), 1u);
        EXPECT_EQ(m[0].move.first, 0u);
        EXPECT_EQ(m[0].move.last, 7999u);
        EXPECT_DOUBLE_EQ(m[0].move.size, size);
        ASSERT_TRUE(m[0].riseTime);
        EXPECT_NEAR(*m[0].riseTime, std::log(9.0) * tau, 1e-6);  // 2.197 tau
        EXPECT_NEAR(*m[0].time10, std::log(10.0 / 9.0) * tau, 1e-6);
        ASSERT_TRUE(m[0].overshoot);
        EXPECT_EQ(*m[0].overshoot, 0.0);
        ASSERT_TRUE(m[0].settlingTime);
        EXPECT_NEAR(*m[0].settlingTime, std::log(50.0) * tau, 1e-6);  // into the 2 % band
        EXPECT_FALSE(m[0].notSettled);
        // Mean of -size exp(-t/tau) over the last 800 samples.
        double sse = 0;
        for (size_t i = 7200; i < 8000; ++i) sse += -size * std::exp(-static_cast<double>(i) * dt / tau);
        EXPECT_NEAR(*m[0].steadyStateError, sse / 800, 1e-9 * std::fabs(size));
        // The error starts at -size just after the command's jump.
        EXPECT_NEAR(*m[0].peakError, std::fabs(size) * std::exp(-dt / tau), 1e-9 * std::fabs(size));
        EXPECT_FALSE(m[0].peakTorque);  // no torque captured
    }
}

TEST(StepMetrics, SecondOrderOvershootAndTimeToPeak) {
    const double wn = 200.0, dt = 2e-6;
    for (double zeta : {0.2, 0.5, 0.7}) {
        SCOPED_TRACE(zeta);
        const double wd = wn * std::sqrt(1 - zeta * zeta), phi = std::acos(zeta);
        Signal s = Step(10.0, 60000, dt, [&](double t) {
            return 1 - std::exp(-zeta * wn * t) * std::sin(wd * t + phi) / std::sqrt(1 - zeta * zeta);
        });
        MoveMetrics m = MeasureStep(s.Input(dt)).at(0);
        ASSERT_TRUE(m.overshoot && m.timeToPeak);
        EXPECT_NEAR(*m.overshoot, 100 * std::exp(-kPi * zeta / std::sqrt(1 - zeta * zeta)), 1e-4);
        EXPECT_NEAR(*m.timeToPeak, kPi / wd, 2 * dt);
        EXPECT_NEAR(*m.peakValue, 10.0 * (1 + *m.overshoot / 100), 1e-9);
        // The last excursion beyond 2 % lies within one half period before the settling time.
        ASSERT_TRUE(m.settlingTime);
        double envelope = -std::log(0.02 * std::sqrt(1 - zeta * zeta)) / (zeta * wn);
        EXPECT_LE(*m.settlingTime, envelope);
        EXPECT_GE(*m.settlingTime, envelope - kPi / wd);
    }
}

TEST(StepMetrics, ResponseThatNeverSettles) {
    const double dt = 1e-4;
    // Comes to rest 5 % short of the end.
    Signal shortOf = Step(100.0, 2000, dt, [](double t) { return 0.95 * (1 - std::exp(-t / 0.005)); });
    MoveMetrics m = MeasureStep(shortOf.Input(dt)).at(0);
    EXPECT_TRUE(m.notSettled);
    EXPECT_FALSE(m.settlingTime);
    EXPECT_NEAR(*m.steadyStateError, -5.0, 1e-6);
    EXPECT_EQ(MetricsSummary(m).find("Settling not settled") != std::string::npos, true);
    // Keeps ringing 10 % around the end.
    Signal ringing = Step(100.0, 2000, dt, [](double t) { return 1 + 0.1 * std::sin(2 * kPi * 50 * t + 1); });
    m = MeasureStep(ringing.Input(dt)).at(0);
    EXPECT_TRUE(m.notSettled);
    EXPECT_NEAR(*m.overshoot, 10.0, 1e-3);
}

// Commanded trapezoids: ramps of ramp samples to each level, resting between.
Signal Profile(const std::vector<double>& levels, size_t rest, size_t ramp) {
    Signal s;
    double at = 0;
    s.optimal.push_back(0);
    for (double level : levels) {
        for (size_t i = 1; i <= ramp; ++i) s.optimal.push_back(at + (level - at) * static_cast<double>(i) / ramp);
        for (size_t i = 0; i < rest; ++i) s.optimal.push_back(level);
        at = level;
    }
    // The axis follows the command through a first-order lag of 5 samples.
    double y = 0;
    for (double o : s.optimal) {
        s.actual.push_back(y);
        y += (o - y) / 5.0;
    }
    for (size_t i = 0; i < s.actual.size(); ++i) s.error.push_back(s.actual[i] - s.optimal[i]);
    return s;
}

TEST(StepMetrics, CycleAndRepeatMoves) {
    struct Case {
        const char* name;
        std::vector<double> levels;
        std::vector<double> sizes;
    } cases[] = {
        {"single", {100}, {100}},
        {"cycle", {100, 0}, {100, -100}},
        {"repeat", {100, 200, 300}, {100, 100, 100}},
        {"cycle repeat", {100, 0, 100, 0}, {100, -100, 100, -100}},
    };
    const size_t rest = 300, ramp = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Signal s = Profile(c.levels, rest, ramp);
        std::vector<MoveMetrics> m = MeasureStep(s.Input(0.001));
        ASSERT_EQ(m.size(), c.sizes.size());
        for (size_t k = 0; k < m.size(); ++k) {
            SCOPED_TRACE(k);
            EXPECT_EQ(m[k].move.first, k * (rest + ramp));
            EXPECT_EQ(m[k].move.last, k + 1 < m.size() ? (k + 1) * (rest + ramp) : s.actual.size() - 1);
            EXPECT_DOUBLE_EQ(m[k].move.size, c.sizes[k]);
            // Every move is the same response, whatever its direction or start.
            ASSERT_TRUE(m[k].riseTime && m[0].riseTime);
            EXPECT_NEAR(*m[k].riseTime, *m[0].riseTime, 1e-9);
            EXPECT_NEAR(*m[k].settlingTime, *m[0].settlingTime, 1e-9);
            EXPECT_NEAR(*m[k].peakError, *m[0].peakError, 1e-9);
        }
    }
}

TEST(StepMetrics, CommandReversingWithoutRestStartsANewMove) {
    Signal s;
    for (int i = 0; i <= 20; ++i) s.optimal.push_back(i <= 10 ? i * 10.0 : 200.0 - i * 10.0);
    s.actual = s.optimal;
    std::vector<Move> m = FindMoves(s.Input(0.001));
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].first, 0u);
    EXPECT_DOUBLE_EQ(m[0].size, 100);
    EXPECT_EQ(m[1].first, 10u);
    EXPECT_DOUBLE_EQ(m[1].size, -100);
}

TEST(StepMetrics, WithoutCommandTheTestIsOneMoveOfTheDistance) {
    const double dt = 1e-4;
    Signal s = Step(40.0, 1000, dt, [](double t) { return 1 - std::exp(-t / 0.002); });
    for (double& o : s.optimal) o = 0;  // the Optimal column was not chosen
    StepInput in = s.Input(dt);
    in.distance = 40.0;
    std::vector<MoveMetrics> m = MeasureStep(in);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].move.first, 0u);
    EXPECT_DOUBLE_EQ(m[0].move.size, 40.0);
    EXPECT_NEAR(*m[0].riseTime, std::log(9.0) * 0.002, 1e-6);
    in.optimal = {};  // no column at all
    EXPECT_NEAR(*MeasureStep(in).at(0).riseTime, std::log(9.0) * 0.002, 1e-6);
}

TEST(StepMetrics, TorquePeakAndSaturation) {
    Signal s = Step(10.0, 100, 0.001, [](double t) { return t > 0 ? 1.0 : 0.0; });
    s.torque.assign(100, 1.0);
    for (int i = 0; i < 25; ++i) s.torque[i] = -9.95;  // at or above 99 % of 10
    s.torque[30] = 9.89;                               // just below
    StepInput in = s.Input(0.001);
    in.torqueLimit = 10.0;
    MoveMetrics m = MeasureStep(in).at(0);
    EXPECT_DOUBLE_EQ(*m.peakTorque, 9.95);
    EXPECT_DOUBLE_EQ(*m.torqueSaturation, 25.0);
    in.torqueLimit = 0;  // limit not known: no saturation figure
    m = MeasureStep(in).at(0);
    EXPECT_DOUBLE_EQ(*m.peakTorque, 9.95);
    EXPECT_FALSE(m.torqueSaturation);
}

TEST(StepMetrics, SkewOfKnownCurves) {
    std::vector<double> axis, partner;
    const size_t n = 1000;  // ten whole periods
    for (size_t i = 0; i < n; ++i) {
        double p = 2 * kPi * static_cast<double>(i) / 100;
        axis.push_back(50 * std::sin(p));
        partner.push_back(50 * std::sin(p) + 0.5 * std::cos(p));
    }
    partner.push_back(1e9);  // a longer partner: only the common samples count
    std::vector<double> curve = SkewCurve(Span(axis), Span(partner));
    ASSERT_EQ(curve.size(), n);
    EXPECT_NEAR(curve[0], 0.5, 1e-12);
    EXPECT_NEAR(curve[50], -0.5, 1e-12);
    SkewMetrics k = MeasureSkew(Span(axis), Span(partner));
    EXPECT_NEAR(*k.peak, 0.5, 1e-12);
    EXPECT_NEAR(*k.rms, 0.5 / std::sqrt(2.0), 1e-12);
    axis[7] = kNan;
    EXPECT_FALSE(MeasureSkew(Span(axis), Span(partner)).peak);
    EXPECT_FALSE(MeasureSkew(Span(axis), {}).rms);
    EXPECT_TRUE(SkewCurve(Span(axis), {}).empty());
}

TEST(StepMetrics, DegenerateInputIsNotAvailable) {
    const double dt = 0.001;
    auto clean = [&] { return Step(10.0, 50, dt, [](double t) { return 1 - std::exp(-t / 0.005); }); };
    struct Case {
        const char* name;
        Signal signal;
        double dt;
        bool servo;
        size_t moves;
        bool position, times, error;
    };
    Signal one = clean();
    for (auto* v : {&one.actual, &one.optimal, &one.error}) v->resize(1);
    Signal still = clean();
    for (double& o : still.optimal) o = 7.0;  // a command that never changes: a move of 0
    Signal nanActual = clean();
    nanActual.actual[20] = kNan;
    Signal infActual = clean();
    infActual.actual[3] = kInf;
    Signal nanError = clean();
    nanError.error[5] = kNan;
    Signal infCommand = clean();
    infCommand.optimal.back() = kInf;
    Case cases[] = {
        {"no samples", Signal{}, dt, true, 0, false, false, false},
        {"one sample", one, dt, true, 1, false, false, true},
        {"move of 0", still, dt, true, 1, false, false, true},
        {"NaN actual", nanActual, dt, true, 1, false, false, true},
        {"infinite actual", infActual, dt, true, 1, false, false, true},
        {"NaN error", nanError, dt, true, 1, true, true, false},
        {"infinite command", infCommand, dt, true, 1, true, true, true},
        {"no sample period", clean(), 0.0, true, 1, true, false, true},
        {"NaN sample period", clean(), kNan, true, 1, true, false, true},
        {"stepper axis", clean(), dt, false, 0, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StepInput in = c.signal.Input(c.dt);
        in.servo = c.servo;
        in.distance = 10.0;
        std::vector<MoveMetrics> m = MeasureStep(in);
        ASSERT_EQ(m.size(), c.moves);
        if (m.empty()) continue;
        const MoveMetrics& r = m[0];
        EXPECT_EQ(r.overshoot.has_value(), c.position);
        EXPECT_EQ(r.steadyStateError.has_value(), c.position);
        EXPECT_EQ(r.riseTime.has_value(), c.times);
        EXPECT_EQ(r.settlingTime.has_value(), c.times);
        EXPECT_EQ(r.timeToPeak.has_value(), c.times);
        EXPECT_EQ(r.peakError.has_value(), c.error);
        for (const std::optional<double>* v : {&r.riseTime, &r.timeToPeak, &r.overshoot, &r.settlingTime,
                                               &r.steadyStateError, &r.peakError, &r.rmsError})
            if (*v) {
                EXPECT_TRUE(std::isfinite(**v));
            }
        EXPECT_EQ(MetricsSummary(r).find("nan"), std::string::npos);
        EXPECT_EQ(MetricsSummary(r).find("inf"), std::string::npos);
    }
}

TEST(StepMetrics, FiguresWithAboutThreeDigits) {
    struct Case {
        std::optional<double> value;
        const char* text;
    } cases[] = {
        {12.5, "12.5"}, {46.0, "46.0"}, {5.2149, "5.21"}, {19.61, "19.6"}, {1234.4, "1234"}, {0.012345, "0.0123"},
        {9.996, "10.0"}, {99.96, "100"}, {0.0, "0"}, {-3.14159, "-3.14"}, {-0.0004, "-0.000400"},
        {std::nullopt, "n/a"}, {kNan, "n/a"}, {kInf, "n/a"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatMetric(c.value), c.text);

    MoveMetrics m;
    m.riseTime = 0.0125;
    m.overshoot = 18.24;
    m.settlingTime = 0.046;
    m.peakError = 19.6;
    m.rmsError = 5.213;
    EXPECT_EQ(MetricsSummary(m), "Rise 12.5 ms  Overshoot 18.2 %  Settling 46.0 ms  Peak error 19.6  RMS error 5.21");
    EXPECT_EQ(MetricsSummary(MoveMetrics{}), "Rise n/a  Overshoot n/a  Settling n/a  Peak error n/a  RMS error n/a");
}

}  // namespace
