// The simulated servo axis against physics: a linear configuration matches an
// independent discrete-time model of plant and loop, and each nonlinear effect
// and each gain changes the step response the way it should.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "matrix_exp.h"
#include "sim_errors.h"
#include "sim_fixture.h"

using simtest::Response;
using simtest::Step;
using zqsim::Controller;

namespace {

using Mat3 = simtest::Matrix<3>;
using simtest::Expm;

struct LinearCase {
    const char* name;
    int mode;
    int profile;
    double viscous, kp, kd, ki, kv;
    int derivative_ticks;
};

std::string LinearIni(double viscous) {
    return "[controller.0]\naxes = 1\n[controller.0.axis.1]\ninertia = 2\nviscous = " + std::to_string(viscous) +
           "\ncoulomb = 0\ntorque_constant = 40000\ntorque_limit = 1e12\ncounts_per_unit = 0\naux_compliance = 0\n";
}

}  // namespace

TEST(SimPhysics, LinearStepMatchesIndependentDiscreteModel) {
    const LinearCase cases[] = {
        {"pure step, PD", 1, 1, 3, 2, 3, 0, 0, 1},
        {"pure step, PID, no viscous friction", 1, 1, 0, 2, 3, 4, 0, 1},
        {"trapezoid, PID and feed-forward", 2, 1, 3, 2, 3, 2, 10, 1},
        {"S-curve, derivative over 3 ticks", 2, 2, 3, 1.5, 6, 1, 5, 3},
        {"parabolic, low damping", 2, 4, 0.5, 4, 1, 0, 0, 2},
    };
    const double distance = 100, J = 2, kt = 40000;
    const int n = 1000;
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        auto c = simtest::FromIni(LinearIni(tc.viscous));
        ASSERT_TRUE(c);
        double T = c->AxisAt(1).Period();
        FilterConfig f{};
        ASSERT_EQ(c->GetFilter(1, &f), 0);
        f.DerivativeGain = tc.kd;
        f.DerivativeSamplePeriod = tc.derivative_ticks * T;
        f.IntegralGain = tc.ki;
        f.IntegrationLimit = 1e12;
        f.VelocityGain = tc.kv;
        f.FollowingError = 0;
        ASSERT_EQ(c->SetFilter(1, &f), 0);
        ASSERT_EQ(c->Set(1, Controller::kSetGain, tc.kp), 0);
        ASSERT_EQ(c->SetInt(1, Controller::kProfile, tc.profile), 0);
        Response r = Step(*c, 1, distance, tc.mode, n);
        ASSERT_EQ(r.torque.size(), static_cast<size_t>(n));

        // Plant dx/dt = v, J dv/dt = f - b v, force held over each servo period.
        Mat3 m{};
        m[0][1] = T;
        m[1][1] = -tc.viscous / J * T;
        m[1][2] = T / J;
        Mat3 e = Expm(m);
        // Gain units of a floating-point controller (docs/simulator.md).
        const double up = 0.1, ud = 0.001, ui = 1.0, uv = 1e-5;
        std::vector<double> r_cmd(n + 1);
        r_cmd[0] = tc.mode == 1 ? distance : 0;
        for (int j = 0; j < n; ++j) r_cmd[j + 1] = r.optimal[j];
        std::vector<double> errors;
        double x = 0, v = 0, integral = 0, r_prev = 0, max_torque = 0;
        std::vector<double> model_x(n + 1), model_u(n + 1);
        for (int i = 0; i <= n; ++i) {
            double err = r_cmd[i] - x;
            int k = tc.derivative_ticks;
            double old = i - k >= 0 ? errors[i - k] : 0.0;
            errors.push_back(err);
            integral += tc.ki * ui * err * T;
            double u = tc.kp * up * err + tc.kd * ud * (err - old) / (k * T) + integral +
                       tc.kv * uv * (r_cmd[i] - r_prev) / T;
            r_prev = r_cmd[i];
            model_x[i] = x;
            model_u[i] = u;
            max_torque = std::max(max_torque, std::fabs(u));
            double force = kt * u;
            double x1 = e[0][0] * x + e[0][1] * v + e[0][2] * force;
            double v1 = e[1][0] * x + e[1][1] * v + e[1][2] * force;
            x = x1;
            v = v1;
        }
        for (int j = 0; j < n; ++j) {
            ASSERT_NEAR(r.actual[j], model_x[j + 1], 1e-9 * std::max(distance, std::fabs(model_x[j + 1])))
                << "point " << j;
            ASSERT_NEAR(r.torque[j], model_u[j + 1], 1e-9 * max_torque) << "point " << j;
        }
        // The response really is a step response: it reaches the target.
        EXPECT_NEAR(r.actual[n - 1], distance, 0.05 * distance);
    }
}

TEST(SimPhysics, ProfilesReachTheTargetWithinVelocityAndAcceleration) {
    for (int profile : {1, 2, 4}) {
        SCOPED_TRACE(profile);
        auto c = simtest::Bench();
        ASSERT_EQ(c->SetInt(1, Controller::kProfile, profile), 0);
        ASSERT_EQ(c->Set(1, Controller::kSetVelocity, 1000), 0);
        ASSERT_EQ(c->Set(1, Controller::kSetAcceleration, 20000), 0);
        ASSERT_EQ(c->Set(1, Controller::kSetDeceleration, 10000), 0);
        Response r = Step(*c, 1, 300, 2, 1000);
        double T = c->AxisAt(1).Period();
        double vmax = 0, amax = 0;
        for (size_t j = 1; j < r.optimal.size(); ++j) {
            double v = (r.optimal[j] - r.optimal[j - 1]) / T;
            EXPECT_GE(v, -1e-9);
            vmax = std::max(vmax, v);
            if (j >= 2) amax = std::max(amax, std::fabs(v - (r.optimal[j - 1] - r.optimal[j - 2]) / T) / T);
        }
        EXPECT_EQ(r.optimal.back(), 300);
        EXPECT_LE(vmax, 1000 * (1 + 1e-9));
        EXPECT_GT(vmax, 990);
        EXPECT_LE(amax, 20000 * 1.01);
        EXPECT_GT(amax, 9000);
    }
}

namespace {

double Peak(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

// Index of the first point at or above 90 % of the step.
size_t RiseIndex(const std::vector<double>& v, double distance) {
    for (size_t j = 0; j < v.size(); ++j)
        if (v[j] >= 0.9 * distance) return j;
    return v.size();
}

Response BenchStep(double kp_factor, double kd_factor, int mode = 2) {
    auto c = simtest::Bench();
    double kp;
    FilterConfig f{};
    c->Get(1, Controller::kGain, &kp);
    c->Set(1, Controller::kSetGain, kp * kp_factor);
    c->GetFilter(1, &f);
    f.DerivativeGain *= kd_factor;
    c->SetFilter(1, &f);
    return Step(*c, 1, 100, mode);
}

}  // namespace

TEST(SimPhysics, BenchStepOvershootsVisiblyAndSettlesWithinRecordTime) {
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        Response r = BenchStep(1, 1, mode);
        EXPECT_GT(Peak(r.actual), 105);
        EXPECT_LT(Peak(r.actual), 130);
        for (size_t j = 400; j < r.actual.size(); ++j) ASSERT_NEAR(r.actual[j], 100, 2) << j;
    }
}

TEST(SimPhysics, HigherProportionalGainRisesFasterAndOvershootsMore) {
    // A pure step (trajectory generator off), as a tuning engineer judges gains.
    Response low = BenchStep(0.5, 1, 1), mid = BenchStep(1, 1, 1), high = BenchStep(3, 1, 1);
    EXPECT_GT(RiseIndex(low.actual, 100), RiseIndex(mid.actual, 100));
    EXPECT_GT(RiseIndex(mid.actual, 100), RiseIndex(high.actual, 100));
    EXPECT_LT(Peak(low.actual), Peak(mid.actual));
    EXPECT_LT(Peak(mid.actual), Peak(high.actual));
}

TEST(SimPhysics, DerivativeGainDamps) {
    Response low = BenchStep(1, 0.5, 1), mid = BenchStep(1, 1, 1), high = BenchStep(1, 2, 1);
    EXPECT_GT(Peak(low.actual), Peak(mid.actual));
    EXPECT_GT(Peak(mid.actual), Peak(high.actual));
    // Without derivative gain the loop keeps ringing through the whole record.
    Response none = BenchStep(1, 0, 1);
    auto late = [](const std::vector<double>& v) {
        auto [lo, hi] = std::minmax_element(v.begin() + 500, v.end());
        return *hi - *lo;
    };
    EXPECT_GT(late(none.actual), 50);
    EXPECT_LT(late(mid.actual), 2);
}

TEST(SimPhysics, TorqueLimitFlattensTheTorqueCurveAtTheLimit) {
    auto c = simtest::FromIni("[controller.0]\naxes = 1\n[controller.0.axis.1]\ntorque_limit = 3\n");
    Response r = Step(*c, 1, 100, 1);
    int at_limit = 0;
    for (double t : r.torque) {
        ASSERT_LE(std::fabs(t), 3.0);
        if (std::fabs(t) == 3.0) ++at_limit;
    }
    EXPECT_GT(at_limit, 20);
    Response free = BenchStep(1, 1, 1);
    EXPECT_GT(Peak(free.torque), 3.0);
    // Saturation slows the rise.
    EXPECT_GT(RiseIndex(r.actual, 100), RiseIndex(free.actual, 100));
}

TEST(SimPhysics, QuantisationMakesStepsOfWholeCounts) {
    auto c = simtest::FromIni("[controller.0]\naxes = 1\n[controller.0.axis.1]\ncounts_per_unit = 4\n");
    Response r = Step(*c, 1, 10, 2);
    int single_count_steps = 0;
    for (size_t j = 0; j < r.actual.size(); ++j) {
        double counts = r.actual[j] * 4;
        ASSERT_EQ(counts, std::round(counts)) << j;
        if (j > 0 && std::fabs(r.actual[j] - r.actual[j - 1]) == 0.25) ++single_count_steps;
    }
    EXPECT_GT(single_count_steps, 0);
    auto exact = simtest::FromIni("[controller.0]\naxes = 1\n[controller.0.axis.1]\ncounts_per_unit = 0\n");
    Response e = Step(*exact, 1, 10, 2);
    int whole = 0;
    for (double a : e.actual) whole += a * 4 == std::round(a * 4);
    EXPECT_LT(whole, 900);
}

TEST(SimPhysics, FrictionLeavesSteadyStateErrorThatIntegralGainRemoves) {
    const char* ini = "[controller.0]\naxes = 1\n[controller.0.axis.1]\ncounts_per_unit = 0\ncoulomb = 100000\n";
    double final_error[2];
    for (int with_integral = 0; with_integral < 2; ++with_integral) {
        auto c = simtest::FromIni(ini);
        FilterConfig f{};
        c->GetFilter(1, &f);
        if (!with_integral) f.IntegralGain = 0;
        else f.IntegralGain *= 5;
        c->SetFilter(1, &f);
        Response r = Step(*c, 1, 100, 2, 2000);
        final_error[with_integral] = std::fabs(100 - r.actual.back());
        if (!with_integral) {
            // Stuck: static friction holds the axis short of the target.
            EXPECT_EQ(r.actual[1990], r.actual[1999]);
        }
    }
    EXPECT_GT(final_error[0], 0.2);
    EXPECT_LT(final_error[1], 0.1 * final_error[0]);
}

TEST(SimPhysics, AuxiliaryEncoderLagsUnderLoadByItsCompliance) {
    auto c = simtest::FromIni(
        "[controller.0]\naxes = 1\n[controller.0.axis.1]\ncounts_per_unit = 0\naux_ratio = 2\naux_compliance = 1e-5\n");
    Response r = Step(*c, 1, 100, 2);
    ASSERT_EQ(r.aux.size(), r.actual.size());
    for (size_t j = 0; j < r.aux.size(); j += 97)
        EXPECT_NEAR(r.aux[j], 2 * (r.actual[j] - 1e-5 * 50000 * r.torque[j]), 1e-9) << j;
}

TEST(SimPhysics, AggressiveGainsTripTheFollowingErrorLimit) {
    auto c = simtest::Bench();
    ASSERT_EQ(c->SetInt(1, Controller::kOutputPhase, 1), 0);  // wired with the wrong sign: runs away
    ASSERT_EQ(c->EnableAxis(1, 1), 0);
    ASSERT_EQ(c->MoveRelative(1, 10), 0);
    c->AdvanceTo(c->Now() + 1'000'000'000);
    int status = c->GetStatus(1);
    EXPECT_EQ(c->DecodeStatus(status, 1), 0);
    EXPECT_EQ(c->DecodeStatus(status, 7), 1);
    EXPECT_EQ(c->EnableAxis(1, 1), 0);
    status = c->GetStatus(1);
    EXPECT_EQ(c->DecodeStatus(status, 1), 1);
    EXPECT_EQ(c->DecodeStatus(status, 7), 0);
}

TEST(SimPhysics, UpdateRateChangeDuringAMoveKeepsItsElapsedTime) {
    // A move at constant velocity (acceleration so high that the ramps last a
    // microsecond): the commanded position is velocity x time, whatever the
    // servo period does in between.
    auto c = simtest::Bench();
    const double v = 1000;
    ASSERT_EQ(c->EnableAxis(1, 1), 0);
    ASSERT_EQ(c->SetOperatingMode(1, 0, 2), 0);
    MotionConfig m{};
    ASSERT_EQ(c->GetMotion(1, &m), 0);
    m.Velocity = v;
    m.Acceleration = m.Deceleration = 1e9;
    ASSERT_EQ(c->SetMotion(1, &m), 0);
    ASSERT_EQ(c->MoveRelative(1, 500), 0);
    const int64_t start = c->Now();
    const int64_t ms = 1'000'000;
    double before = 0, after = 0;
    c->AdvanceTo(start + 100 * ms);
    ASSERT_EQ(c->Get(1, Controller::kOptimal, &before), 0);
    EXPECT_NEAR(before, 100, 1);
    for (int rate : {1, 2, 4}) {
        SCOPED_TRACE(rate);
        m.UpdateRate = static_cast<int16_t>(rate);
        ASSERT_EQ(c->SetMotion(1, &m), 0);
        int64_t t = c->Now() + 40 * ms;
        c->AdvanceTo(t);
        ASSERT_EQ(c->Get(1, Controller::kOptimal, &after), 0);
        double seconds = static_cast<double>(t - start) * 1e-9;
        EXPECT_NEAR(after, v * seconds, v * 0.0025);  // within a slow servo period and a tick
        EXPECT_EQ(c->DecodeStatus(c->GetStatus(1), 7), 0);
    }
    c->AdvanceTo(start + 600 * ms);
    ASSERT_EQ(c->Get(1, Controller::kOptimal, &after), 0);
    EXPECT_EQ(after, 500);
    EXPECT_EQ(c->DecodeStatus(c->GetStatus(1), 1), 1);
}

TEST(SimPhysics, DerivativeSpansTheWholeSamplePeriod) {
    // Static friction holds the load still, so after a step of the command the
    // error is constant and the derivative term alone gives the output
    // Kd Ud step / (m T) for the m servo periods of its span, then nothing.
    const double step = 10, kd = 100, Ud = 0.001;
    for (int rate : {4, 1}) {
        SCOPED_TRACE(rate);
        auto c = simtest::FromIni("[controller.0]\naxes = 1\n[controller.0.axis.1]\ncoulomb = 1e12\n");
        MotionConfig m{};
        ASSERT_EQ(c->GetMotion(1, &m), 0);
        m.UpdateRate = static_cast<int16_t>(rate);
        m.Gain = 0;
        ASSERT_EQ(c->SetMotion(1, &m), 0);
        FilterConfig f{};
        ASSERT_EQ(c->GetFilter(1, &f), 0);
        f.DerivativeGain = kd;
        f.DerivativeSamplePeriod = 1.0;
        f.IntegralGain = f.VelocityGain = 0;
        ASSERT_EQ(c->SetFilter(1, &f), 0);
        ASSERT_EQ(c->GetFilter(1, &f), 0);
        EXPECT_EQ(f.DerivativeSamplePeriod, 1.0);
        ASSERT_EQ(c->EnableAxis(1, 1), 0);
        ASSERT_EQ(c->SetOperatingMode(1, 0, 1), 0);
        ASSERT_EQ(c->MoveRelative(1, step), 0);
        const int64_t start = c->Now(), ms = 1'000'000;
        double T = c->AxisAt(1).Period();
        double span = std::round(1.0 / T);
        for (int at : {5, 300, 900, 990}) {
            c->AdvanceTo(start + at * ms);
            double torque = -1;
            ASSERT_EQ(c->Get(1, Controller::kTorque, &torque), 0);
            EXPECT_NEAR(torque, kd * Ud * step / (span * T), 1e-12) << at << " ms";
        }
        c->AdvanceTo(start + 1100 * ms);
        double torque = -1, position = -1;
        ASSERT_EQ(c->Get(1, Controller::kTorque, &torque), 0);
        ASSERT_EQ(c->Get(1, Controller::kActual, &position), 0);
        EXPECT_EQ(torque, 0);
        EXPECT_EQ(position, 0);
    }
}
