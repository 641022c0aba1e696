// The check step's figures as Auto Tune measures a captured move: a
// first-order rise of known time constant, in either direction and from any
// start, against its closed forms.
#include <gtest/gtest.h>

#include <cmath>

#include "autotune/tune_run.h"

namespace {

// Points k = 0.. at (k + 1) T after the command jumped from start to start + distance.
CapturedMove FirstOrderMove(double start, double distance, double tau, double period, int points) {
    CapturedMove m;
    m.startTarget = start;
    m.startOptimal = start;
    m.distance = distance;
    m.period = period;
    for (int k = 0; k < points; ++k) {
        double t = (k + 1) * period;
        m.actual.push_back(start + distance * (1 - std::exp(-t / tau)));
        m.optimal.push_back(start + distance);
        m.torque.push_back(0);
    }
    return m;
}

TEST(AutoTuneCheckFigures, FirstOrderRiseInEitherDirectionMatchesItsClosedForms) {
    const double tau = 0.01, period = 0.0005;
    for (double start : {0.0, 500.0, -73.25})
        for (double distance : {100.0, -100.0, 2.5}) {
            SCOPED_TRACE(testing::Message() << "start " << start << " distance " << distance);
            CheckFigures f = MeasureCheck(FirstOrderMove(start, distance, tau, period, 1000));
            ASSERT_TRUE(f.settled);
            EXPECT_NEAR(f.rise, std::log(9.0) * tau, period);        // 10 % to 90 %
            EXPECT_NEAR(f.overshoot, 0.0, 1e-9);
            EXPECT_NEAR(f.settling, std::log(50.0) * tau, period);   // into the 2 % band
        }
}

TEST(AutoTuneCheckFigures, AStepThatNeverArrivesIsNotSettled) {
    CapturedMove m = FirstOrderMove(0, 100, 1.0, 0.0005, 400);  // 0.2 s of a 1 s time constant
    CheckFigures f = MeasureCheck(m);
    EXPECT_FALSE(f.settled);
    EXPECT_LT(f.settling, 0);
    EXPECT_LT(f.rise, 0);
    EXPECT_FALSE(MeasureCheck(CapturedMove()).settled);
}

}  // namespace

// Whether a refined model explains a check that missed the style: a pure
// inertia at placed poles, lightly damped (it overshoots by almost half),
// and a viscous axis under P alone, critically damped with no zero (it does
// not overshoot; it settles into 2 % at 5.83 / w), against checks that
// overshot, never settled, or settled late.
TEST(AutoTuneCheckFigures, ARefinedModelExplainsAFailedCheckOnlyWhenItFailsTheSameWay) {
    ModelAxis axis;
    axis.plant.ok = true;
    axis.plant.gain = 1e4;
    axis.period = 0.0005;
    axis.outputLimit = 1e6;
    const size_t ticks = 1601;
    const std::vector<double> step = StepCommand(100, ticks);
    const LoopGains light = PlaceGains(axis.plant.gain, 0, 50, 0.3, 0.05);
    LoopGains damped;
    damped.kp = 50.0 * 50.0 / axis.plant.gain;
    ModelAxis viscous = axis;
    viscous.plant.viscous = 2 * 50.0;
    ModelResponse r = SimulateModel(viscous, damped, step, ticks);
    const StepFigures own = MeasureStep(r.actual.data(), r.optimal.data(), ticks, axis.period);
    ASSERT_TRUE(own.Settled());
    ASSERT_LT(own.overshoot, 0.1);
    ASSERT_NEAR(own.settling, 5.83 / 50, 0.005);

    CheckFigures overshot;
    overshot.overshoot = 30, overshot.settled = true, overshot.settling = 0.5;
    CheckFigures neverSettled;
    neverSettled.overshoot = 0;
    CheckFigures asModelled;
    asModelled.overshoot = 0, asModelled.settled = true, asModelled.settling = 1.2 * own.settling;
    CheckFigures late;
    late.overshoot = 0, late.settled = true, late.settling = 3 * own.settling;
    struct Case {
        const char* name;
        const ModelAxis& model;
        LoopGains gains;
        CheckFigures measured;
        bool explains;
    } cases[] = {
        {"overshoot, lightly damped model", axis, light, overshot, true},
        {"overshoot, damped model", viscous, damped, overshot, false},
        {"never settled, damped model", viscous, damped, neverSettled, false},
        {"settled about as modelled", viscous, damped, asModelled, true},
        {"settled three times later", viscous, damped, late, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ModelExplainsCheck(c.model, c.gains, step, ticks, TuneStyle::Medium, c.measured), c.explains) << c.name;
}
