// Auto Tune's measuring, identification and gain computation against the
// simulated controller's core: measuring moves at the power-on gains, then the
// computed gains proven by a real 100-unit step on the same axis.
#include <gtest/gtest.h>

#include <cmath>

#include "autotune/gain_design.h"
#include "autotune/identify.h"
#include "autotune/loop_analysis.h"
#include "autotune/step_figures.h"
#include "sim_fixture.h"

namespace {


std::vector<double> ErrorOf(const simtest::Response& r) {
    std::vector<double> e(r.actual.size());
    for (size_t k = 0; k < e.size(); ++k) e[k] = r.optimal[k] - r.actual[k];
    return e;
}

TEST(AutoTuneChain, ComputedGainsMeetTheirStyleOnTheBench) {
    struct Case {
        int controller, axis;
        double unitP;  // documented output per P number: 0.1 floating point, 1e-4 fixed point
    };
    const Case cases[] = {{0, 1, 0.1}, {0, 3, 0.1}, {1, 1, 1e-4}};
    for (const Case& c : cases)
        for (TuneStyle style : {TuneStyle::Stiff, TuneStyle::Medium, TuneStyle::Soft}) {
            SCOPED_TRACE(testing::Message() << "controller " << c.controller << " axis " << c.axis << " style "
                                            << static_cast<int>(style));
            auto ctl = simtest::Bench(c.controller);
            zqsim::Controller& k = *ctl;
            const int axis = c.axis;
            const double t = k.AxisAt(axis).Period();
            double p = 0;
            FilterConfig filter{};
            MotionConfig motion{};
            ASSERT_EQ(k.Get(axis, zqsim::Controller::kGain, &p), 0);
            ASSERT_EQ(k.GetFilter(axis, &filter), 0);
            ASSERT_EQ(k.GetMotion(axis, &motion), 0);
            const int m = std::max(1, static_cast<int>(std::lround(filter.DerivativeSamplePeriod / t)));

            // Measuring: out at integral gain 0, back with it.
            FilterConfig noI = filter;
            noI.IntegralGain = 0;
            ASSERT_EQ(k.SetFilter(axis, &noI), 0);
            simtest::Response out = simtest::Step(k, axis, 25, 1, 800);
            ASSERT_EQ(k.SetFilter(axis, &filter), 0);
            simtest::Response back = simtest::Step(k, axis, -25, 1, 800);
            std::vector<double> eOut = ErrorOf(out), eBack = ErrorOf(back);
            LoopScale scale = AnalyseLoop({eOut.data(), out.torque.data(), out.optimal.data(), eOut.size(), t, m,
                                           motion.Torque},
                                          {p, 0, filter.DerivativeGain, filter.VelocityGain});
            ASSERT_TRUE(scale.ok);
            AnalyseIntegral({eBack.data(), back.torque.data(), back.optimal.data(), eBack.size(), t, m, motion.Torque},
                            {p, filter.IntegralGain, filter.DerivativeGain, filter.VelocityGain}, scale);
            ASSERT_TRUE(scale.iKnown);
            EXPECT_NEAR(scale.p / c.unitP, 1, 1e-6);
            PlantModel plant = IdentifyPlant({{out.actual.data(), out.torque.data(), out.actual.size()},
                                              {back.actual.data(), back.torque.data(), back.actual.size()}},
                                             t);
            ASSERT_TRUE(plant.ok);
            EXPECT_GT(plant.quality, 0.9);

            ModelAxis model;
            model.plant = plant;
            model.period = t;
            model.derivativeTicks = m;
            model.outputLimit = motion.Torque;
            model.integrationLimit = filter.IntegrationLimit;
            const size_t ticks = 1000;
            Design d = DesignGains(model, style, StepCommand(100, ticks), ticks);
            ASSERT_TRUE(d.ok) << d.reason;

            // The check: a real step with the computed gains.
            FilterConfig tuned = filter;
            tuned.IntegralGain = d.gains.ki / scale.i;
            tuned.DerivativeGain = d.gains.kd / scale.d;
            ASSERT_EQ(k.Set(axis, zqsim::Controller::kSetGain, d.gains.kp / scale.p), 0);
            ASSERT_EQ(k.SetFilter(axis, &tuned), 0);
            simtest::Response check = simtest::Step(k, axis, 100, 1, static_cast<int>(ticks));
            EXPECT_FALSE(k.AxisAt(axis).Tripped());
            // The program stores the start values as the first sample; so does this test.
            const double start = check.optimal.front() - 100;
            check.actual.insert(check.actual.begin(), start);
            check.optimal.insert(check.optimal.begin(), start);
            StepFigures f = MeasureStep(check.actual.data(), check.optimal.data(), check.actual.size(), t);
            ASSERT_TRUE(f.Settled()) << "scale " << scale.p << " " << scale.i << " " << scale.d << " plant "
                                     << plant.gain << " " << plant.viscous << " " << plant.coulomb << " delay "
                                     << plant.delay << " q " << plant.quality << " gains " << d.gains.kp << " "
                                     << d.gains.ki << " " << d.gains.kd << " end " << check.actual.back() << " os "
                                     << f.overshoot << " predicted " << d.predicted.settling;
            EXPECT_LE(f.overshoot, StyleOvershoot(style));
            EXPECT_LE(f.settling, 1.5 * d.predicted.settling + 0.01)
                << "predicted " << d.predicted.settling << " s, overshoot " << d.predicted.overshoot;
            std::printf("controller %d axis %d style %d: P %.4g I %.4g D %.4g  predicted %.1f %% %.1f ms, "
                        "measured %.1f %% %.1f ms\n",
                        c.controller, axis, static_cast<int>(style), d.gains.kp / scale.p, tuned.IntegralGain,
                        tuned.DerivativeGain, d.predicted.overshoot, d.predicted.settling * 1000, f.overshoot,
                        f.settling * 1000);
        }
}

}  // namespace
