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
