// Axes whose load is joined to the motor by a spring: a linear configuration
// matches an independent discrete-time model of the two masses and the loop,
// a free axis rings at its coupled frequency, and the bench's resonant axes
// behave as their mechanics say.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "matrix_exp.h"
#include "sim_fixture.h"
#include "sim_two_mass.h"

using simtest::Response;
using simtest::Step;
using zqsim::Controller;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Gain units of a floating-point controller (docs/simulator.md).
constexpr double kUp = 0.1, kUd = 0.001, kUi = 1.0, kUv = 1e-5;

struct Plant {
    double jm, jl, k, c, bm, bl;
};

struct Loop {
    double kp, kd, ki, kv;
    int derivative_ticks;
};

void SetGains(Controller& c, int axis, const Loop& g) {
    double T = c.AxisAt(axis).Period();
    FilterConfig f{};
    ASSERT_EQ(c.GetFilter(axis, &f), 0);
    f.DerivativeGain = g.kd;
    f.DerivativeSamplePeriod = g.derivative_ticks * T;
    f.IntegralGain = g.ki;
    f.IntegrationLimit = 1e12;
    f.VelocityGain = g.kv;
    f.FollowingError = 0;
    ASSERT_EQ(c.SetFilter(axis, &f), 0);
    ASSERT_EQ(c.Set(axis, Controller::kSetGain, g.kp), 0);
}

std::string LinearIni(const Plant& p, int encoder_on_load) {
    auto num = [](double v) { return std::to_string(v); };
    return "[controller.0]\naxes = 1\n[controller.0.axis.1]\ninertia = " + num(p.jm) +
           "\nload_inertia = " + num(p.jl) + "\ncoupling_stiffness = " + num(p.k) +
           "\ncoupling_damping = " + num(p.c) + "\nviscous = " + num(p.bm) + "\nload_viscous = " + num(p.bl) +
           "\nencoder_on_load = " + std::to_string(encoder_on_load) +
           "\ncoulomb = 0\ntorque_constant = 40000\ntorque_limit = 1e12\ncounts_per_unit = 0\naux_ratio = 2\n";
}

// Peak-to-peak value of v over [from, v.size()).
double Swing(const std::vector<double>& v, size_t from) {
    auto [lo, hi] = std::minmax_element(v.begin() + static_cast<std::ptrdiff_t>(from), v.end());
    return *hi - *lo;
}

std::vector<double> Error(const Response& r) {
    std::vector<double> e(r.actual.size());
    for (size_t j = 0; j < e.size(); ++j) e[j] = r.optimal[j] - r.actual[j];
    return e;
}

}  // namespace

TEST(SimTwoMass, LinearStepMatchesIndependentDiscreteModel) {
    struct Case {
        const char* name;
        int mode, profile, encoder_on_load;
        Plant plant;
        Loop loop;
    };
    const Case cases[] = {
        {"pure step, PD, motor encoder", 1, 1, 0, {0.3, 0.6, 20000, 3, 1, 2}, {1.5, 2, 0, 0, 1}},
        {"trapezoid, PID and feed-forward, motor encoder", 2, 1, 0, {0.25, 0.75, 26650, 2.8, 2, 3}, {2, 2.5, 2, 10, 1}},
        {"S-curve, derivative over 3 ticks, stiff coupling", 2, 2, 0, {0.5, 0.5, 888000, 47, 3, 2}, {3, 4, 1, 5, 3}},
        {"parabolic, load encoder, gentle loop", 2, 4, 1, {0.5, 0.5, 888000, 47, 3, 2}, {0.5, 0.8, 0.2, 0, 1}},
        {"pure step, no damping in the coupling", 1, 1, 0, {0.4, 0.4, 50000, 0, 0, 0}, {1, 2, 0, 0, 2}},
    };
    const double distance = 100, kt = 40000, aux_ratio = 2;
    const int n = 1000;
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        auto c = simtest::FromIni(LinearIni(tc.plant, tc.encoder_on_load));
        ASSERT_TRUE(c);
        double T = c->AxisAt(1).Period();
        SetGains(*c, 1, tc.loop);
        ASSERT_EQ(c->SetInt(1, Controller::kProfile, tc.profile), 0);
        Response r = Step(*c, 1, distance, tc.mode, n);
        ASSERT_EQ(r.aux.size(), static_cast<size_t>(n));

        // State (xm, vm, xl, vl) and the force held over the servo period.
        const Plant& p = tc.plant;
        simtest::Matrix<5> m{};
        m[0][1] = T;
        m[1][0] = -p.k / p.jm * T;
        m[1][1] = -(p.bm + p.c) / p.jm * T;
        m[1][2] = p.k / p.jm * T;
        m[1][3] = p.c / p.jm * T;
        m[1][4] = T / p.jm;
        m[2][3] = T;
        m[3][0] = p.k / p.jl * T;
        m[3][1] = p.c / p.jl * T;
        m[3][2] = -p.k / p.jl * T;
        m[3][3] = -(p.c + p.bl) / p.jl * T;
        const simtest::Matrix<5> e = simtest::Expm(m);

        std::vector<double> r_cmd(n + 1);
        r_cmd[0] = tc.mode == 1 ? distance : 0;
        for (int j = 0; j < n; ++j) r_cmd[j + 1] = r.optimal[j];
        const Loop& g = tc.loop;
        std::vector<double> errors;
        double z[4] = {0, 0, 0, 0}, integral = 0, r_prev = 0, max_torque = 0;
        std::vector<double> model_y(n + 1), model_load(n + 1), model_u(n + 1);
        for (int i = 0; i <= n; ++i) {
            double y = tc.encoder_on_load ? z[2] : z[0];
            double err = r_cmd[i] - y;
            int k = g.derivative_ticks;
            double old = i - k >= 0 ? errors[i - k] : 0.0;
            errors.push_back(err);
            integral += g.ki * kUi * err * T;
            double u = g.kp * kUp * err + g.kd * kUd * (err - old) / (k * T) + integral +
                       g.kv * kUv * (r_cmd[i] - r_prev) / T;
            r_prev = r_cmd[i];
            model_y[i] = y;
            model_load[i] = z[2];
            model_u[i] = u;
            max_torque = std::max(max_torque, std::fabs(u));
            double force = kt * u, next[4];
            for (int row = 0; row < 4; ++row)
                next[row] = e[row][0] * z[0] + e[row][1] * z[1] + e[row][2] * z[2] + e[row][3] * z[3] +
                            e[row][4] * force;
            std::copy(next, next + 4, z);
        }
        for (int j = 0; j < n; ++j) {
            ASSERT_NEAR(r.actual[j], model_y[j + 1], 1e-9 * std::max(distance, std::fabs(model_y[j + 1])))
                << "point " << j;
            ASSERT_NEAR(r.aux[j], aux_ratio * model_load[j + 1],
                        1e-9 * aux_ratio * std::max(distance, std::fabs(model_load[j + 1])))
                << "point " << j;
            ASSERT_NEAR(r.torque[j], model_u[j + 1], 1e-9 * max_torque) << "point " << j;
        }
        // A real step response: both masses reach the target.
        EXPECT_NEAR(r.actual[n - 1], distance, 0.05 * distance);
        EXPECT_NEAR(r.aux[n - 1], aux_ratio * distance, 0.05 * aux_ratio * distance);
    }
}

namespace {

// Ringing frequency in rad/s from the zero crossings of a signal's second
// difference (the load's acceleration), while it is above 1e-4 of its peak.
double RingingFrequency(const std::vector<double>& x, double T) {
    std::vector<double> a(x.size() - 2);
    for (size_t j = 0; j < a.size(); ++j) a[j] = x[j + 2] - 2 * x[j + 1] + x[j];
    double peak = 0;
    for (double v : a) peak = std::max(peak, std::fabs(v));
    size_t end = a.size();
    while (end > 1 && std::fabs(a[end - 1]) < 1e-4 * peak) --end;
    std::vector<double> crossings;
    for (size_t j = 1; j < end; ++j)
        if ((a[j - 1] < 0) != (a[j] < 0)) crossings.push_back(static_cast<double>(j - 1) + a[j - 1] / (a[j - 1] - a[j]));
    if (crossings.size() < 10) return 0;
    double half_periods = static_cast<double>(crossings.size() - 1);
    return kPi * half_periods / ((crossings.back() - crossings.front()) * T);
}

}  // namespace

TEST(SimTwoMass, TorquePulseRingsAtTheCoupledFrequency) {
    // A free motor (no position loop) gets a one-period torque pulse through the
    // velocity feed-forward of a pure step; the load then swings against it.
    struct Case { const char* name; zqsim::AxisSpec spec; };
    zqsim::AxisSpec light;
    light.inertia = 0.3;
    light.load_inertia = 0.6;
    light.coupling_stiffness = 20000;
    light.coupling_damping = 0.3;
    const zqsim::SimConfig config = zqsim::BenchConfig();
    const auto& bench = config.Find(2)->axes;
    const Case cases[] = {{"barely damped", light}, {"bench belt axis", bench[0]}, {"bench screw axis", bench[1]}};
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        zqsim::ControllerSpec spec;
        spec.axes = {tc.spec};
        zqsim::AxisSpec& a = spec.axes[0];
        a.coulomb = a.viscous = a.load_viscous = 0;  // nothing but the coupling takes energy away
        a.counts_per_unit = 0;
        Controller c(spec);
        SetGains(c, 1, {0, 0, 0, 10, 1});
        Response r = Step(c, 1, 10, 1, 2000);
        ASSERT_EQ(r.aux.size(), 2000u);
        // The pulse came in the period before the first point; the motor runs free since.
        for (double t : r.torque) ASSERT_EQ(t, 0);
        ASSERT_GT(Swing(r.aux, 0), 0.1);
        double expected = zqsim::ResonanceFrequency(a);
        EXPECT_DOUBLE_EQ(expected, std::sqrt(a.coupling_stiffness * (1 / a.inertia + 1 / a.load_inertia)));
        EXPECT_NEAR(RingingFrequency(r.aux, c.AxisAt(1).Period()), expected, 0.02 * expected);
    }
    // The bench's axes resonate where their names say.
    EXPECT_NEAR(zqsim::ResonanceFrequency(bench[0]) / (2 * kPi), 60, 1);
    EXPECT_NEAR(zqsim::ResonanceFrequency(bench[1]) / (2 * kPi), 300, 5);
}

TEST(SimTwoMass, BenchResonantAxesStepStablyAtPowerOn) {
    for (int axis : {1, 2}) {
        for (int mode : {1, 2}) {
            SCOPED_TRACE(axis * 10 + mode);
            auto c = simtest::Bench(2);
            Response r = Step(*c, axis, 100, mode);
            EXPECT_EQ(c->DecodeStatus(c->GetStatus(axis), 7), 0);
            double peak = *std::max_element(r.actual.begin(), r.actual.end());
            EXPECT_GT(peak, 103);
            EXPECT_LT(peak, 130);
            for (size_t j = 500; j < r.actual.size(); ++j) ASSERT_NEAR(r.actual[j], 100, 1) << j;
            // The load (auxiliary encoder) arrives too.
            EXPECT_NEAR(r.aux.back(), 100, 1);
        }
    }
}

TEST(SimTwoMass, RaisingGainsPastTheResonanceLimitMakesTheBenchAxesRing) {
    // The belt axis (motor encoder) rings when P is raised; the screw axis
    // (linear scale on the load) sings near 300 Hz when D is raised. The same
    // gains on a rigid axis of the same total inertia and friction settle:
    // the resonance, not the gain alone, sets the limit.
    struct Case { const char* name; int axis; double p_factor, d_factor; } cases[] = {
        {"belt, P x8", 1, 8, 1}, {"belt, P x16", 1, 16, 1}, {"screw, D x3", 2, 1, 3}, {"screw, D x4", 2, 1, 4}};
    struct Result { double error_swing, torque_swing; bool tripped; };
    auto run = [](Controller& c, int axis, double p_factor, double d_factor) {
        double kp = 0;
        FilterConfig f{};
        c.Get(axis, Controller::kGain, &kp);
        c.GetFilter(axis, &f);
        f.DerivativeGain *= d_factor;
        c.SetFilter(axis, &f);
        c.Set(axis, Controller::kSetGain, kp * p_factor);
        Response r = Step(c, axis, 100, 2);
        return Result{Swing(Error(r), 500), Swing(r.torque, 500), c.DecodeStatus(c.GetStatus(axis), 7) == 1};
    };
    // The rigid twins power on with different gains: copy the resonant axes' gains over.
    auto copy_gains = [](Controller& from, Controller& to, int axis) {
        double kp = 0;
        FilterConfig f{};
        from.Get(axis, Controller::kGain, &kp);
        from.GetFilter(axis, &f);
        to.Set(axis, Controller::kSetGain, kp);
        to.SetFilter(axis, &f);
    };
    zqsim::ControllerSpec rigid = *zqsim::BenchConfig().Find(2);
    for (auto& a : rigid.axes) {
        a.inertia += a.load_inertia;
        a.viscous += a.load_viscous;
        a.load_inertia = 0;
    }
    for (int axis : {1, 2}) {
        SCOPED_TRACE(axis);
        // Settled means within a few counts of friction hunting late in the record.
        auto c = simtest::Bench(2);
        Result calm = run(*c, axis, 1, 1);
        EXPECT_FALSE(calm.tripped);
        EXPECT_LE(calm.error_swing, 0.5);
        EXPECT_LT(calm.torque_swing, 1.0);
    }
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        auto c = simtest::Bench(2);
        Controller twin(rigid);
        copy_gains(*c, twin, tc.axis);
        Result high = run(*c, tc.axis, tc.p_factor, tc.d_factor);
        EXPECT_TRUE(high.tripped || (high.error_swing > 1.0 && high.torque_swing > 2.0))
            << high.error_swing << " " << high.torque_swing;
        // The twin's torque keeps only the encoder counts' noise through the derivative.
        Result steady = run(twin, tc.axis, tc.p_factor, tc.d_factor);
        EXPECT_FALSE(steady.tripped);
        EXPECT_LE(steady.error_swing, 0.5);
        if (!high.tripped) {
            EXPECT_LT(steady.torque_swing, 0.5 * high.torque_swing);
        }
    }
}

TEST(SimTwoMass, SettingThePositionShiftsMotorAndLoadTogether) {
    // Axis 1 reads its motor, axis 2 its load.
    for (int axis : {1, 2}) {
        SCOPED_TRACE(axis);
        auto c = simtest::Bench(2);
        ASSERT_EQ(c->EnableAxis(axis, 1), 0);
        ASSERT_EQ(c->MoveRelative(axis, 100), 0);
        c->AdvanceTo(c->Now() + 500'000'000);
        ASSERT_EQ(c->Set(axis, Controller::kSetPosition, 5000), 0);
        double actual = 0, aux = 0, torque = 0;
        c->Get(axis, Controller::kActual, &actual);
        c->Get(axis, Controller::kAuxiliary, &aux);
        EXPECT_EQ(actual, 5000);
        EXPECT_NEAR(aux, 5000, 0.2);
        // No twist appeared: the axis stays at rest.
        c->AdvanceTo(c->Now() + 100'000'000);
        c->Get(axis, Controller::kActual, &actual);
        c->Get(axis, Controller::kAuxiliary, &aux);
        c->Get(axis, Controller::kTorque, &torque);
        EXPECT_NEAR(actual, 5000, 0.2);
        EXPECT_NEAR(aux, 5000, 0.2);
        EXPECT_LT(std::fabs(torque), 0.5);
    }
}

TEST(SimTwoMass, StiffCouplingsWithFrictionStayPhysical) {
    // Couplings that swing several times within a servo period, on a motor with
    // friction: moving back and forth never trips or runs away, and a motor left
    // alone comes to rest.
    for (const char* stiffness : {"1e8", "1.2e8"}) {
        for (int rate : {4, 1}) {
            SCOPED_TRACE(std::string(stiffness) + " at update rate " + std::to_string(rate));
            auto c = simtest::FromIni("[controller.0]\naxes = 1\n[controller.0.axis.1]\nload_inertia = 1\n"
                                      "coupling_stiffness = " + std::string(stiffness) +
                                      "\nupdate_rate = " + std::to_string(rate) + "\n");
            ASSERT_TRUE(c);
            ASSERT_EQ(c->EnableAxis(1, 1), 0);
            for (int i = 0; i < 8; ++i) {
                ASSERT_EQ(c->MoveRelative(1, i % 2 ? -100 : 100), 0);
                c->AdvanceTo(c->Now() + 250'000'000);
                ASSERT_EQ(c->DecodeStatus(c->GetStatus(1), 1), 1) << i;
                double actual = 0, aux = 0;
                c->Get(1, Controller::kActual, &actual);
                c->Get(1, Controller::kAuxiliary, &aux);
                ASSERT_NEAR(actual, i % 2 ? 0 : 100, 1) << i;
                ASSERT_NEAR(aux, actual, 1) << i;
            }
            ASSERT_EQ(c->MoveRelative(1, 100), 0);
            c->AdvanceTo(c->Now() + 20'000'000);
            ASSERT_EQ(c->EnableAxis(1, 0), 0);
            c->AdvanceTo(c->Now() + 2'000'000'000);
            double velocity = -1;
            c->Get(1, Controller::kActualVelocity, &velocity);
            EXPECT_EQ(velocity, 0);
        }
    }
}
