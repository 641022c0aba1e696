// Command blocks on the controller's own clock: the step test's cycle and
// repeat loop, capture period and delay, gearing, and blocks that cannot hang.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sim_errors.h"
#include "sim_fixture.h"

using zqsim::Controller;

namespace {

constexpr int64_t kMs = 1'000'000;

std::vector<double> Optimal(Controller& c, int axis, int n) {
    std::vector<double> v(static_cast<size_t>(n));
    EXPECT_EQ(c.GetCaptureData(axis, 64, 0, n, v.data()), 0);
    return v;
}

// Number of times the optimal position changes from at-rest to moving.
int Moves(const std::vector<double>& v) {
    int moves = 0;
    for (size_t j = 1; j < v.size(); ++j)
        if (v[j] != v[j - 1] && (j < 2 || v[j - 1] == v[j - 2])) ++moves;
    return moves;
}

}  // namespace

TEST(SimBlocks, CycleAndRepeatLoopAsTheStepTestSendsThem) {
    struct Case { int count; bool cycle; int moves; double end; } cases[] = {
        {3, true, 6, 0}, {3, false, 3, 30}, {1, true, 2, 0}, {0, false, 1, 10}, {-5, false, 1, 10},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.count * 10 + tc.cycle);
        auto c = simtest::Bench();
        ASSERT_EQ(c->EnableAxis(1, 1), 0);
        ASSERT_EQ(c->SetOperatingMode(1, 0, 2), 0);
        int count = tc.count;
        ASSERT_EQ(c->SetRegister(0, &count, 2), 0);
        ASSERT_EQ(c->BlockBegin(0, 0), 0);
        ASSERT_EQ(c->CaptureData(1, 2000, 0.0005, 0), 0);
        ASSERT_EQ(c->MoveRelative(1, 10), 0);
        if (tc.cycle) {
            ASSERT_EQ(c->WaitForStop(1, 0.05), 0);
            ASSERT_EQ(c->MoveRelative(1, -10), 0);
        }
        ASSERT_EQ(c->WaitForStop(1, 0.05), 0);
        int args[] = {1, 0, 3, 0}, ops[] = {134, 163, 6, 120};
        for (int i = 0; i < 4; ++i) ASSERT_EQ(c->Command(0, ops[i], &args[i], 2), 0);
        ASSERT_EQ(c->BlockEnd(nullptr), 0);
        c->AdvanceTo(c->Now() + 1100 * kMs);
        auto v = Optimal(*c, 1, 2000);
        EXPECT_EQ(Moves(v), tc.moves);
        EXPECT_EQ(v.back(), tc.end);
        EXPECT_FALSE(c->BlockRunning());
    }
}

TEST(SimBlocks, CaptureTakesPointsAtItsPeriodAfterItsDelay) {
    struct Case { int controller; double period, delay; } cases[] = {
        // Controller 0 (type 6) sets period and delay; point k is at delay + (k + 1) periods.
        {0, 0.0005, 0}, {0, 0.002, 0}, {0, 0.0005, 0.01}, {0, 0.001, 0.005},
        // Controller 1 captures at the servo period, without delay.
        {1, 0.002, 0.01},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.period + tc.delay + tc.controller);
        auto c = simtest::Bench(tc.controller);
        ASSERT_EQ(c->EnableAxis(1, 1), 0);
        ASSERT_EQ(c->SetOperatingMode(1, 0, 1), 0);
        ASSERT_EQ(c->BlockBegin(0, 0), 0);
        ASSERT_EQ(c->CaptureData(1, 100, tc.period, tc.delay), 0);
        ASSERT_EQ(c->MoveRelative(1, 100), 0);
        ASSERT_EQ(c->BlockEnd(nullptr), 0);
        c->AdvanceTo(c->Now() + 1 * kMs);
        EXPECT_NE(c->GetStatus(1) & zqsim::kStatusCapturing, 0);
        c->AdvanceTo(c->Now() + 400 * kMs);
        EXPECT_EQ(c->GetStatus(1) & zqsim::kStatusCapturing, 0);
        std::vector<double> actual(100);
        ASSERT_EQ(c->GetCaptureData(1, 16, 0, 100, actual.data()), 0);
        double T = c->AxisAt(1).Period();
        bool settable = tc.controller == 0;
        double period = settable ? tc.period : T, delay = settable ? tc.delay : 0;
        // Reproduce the time of each point from an uncaptured run of the same step.
        auto ref = simtest::Bench(tc.controller);
        auto r = simtest::Step(*ref, 1, 100, 1, 1000);
        for (int k = 0; k < 100; ++k) {
            int tick = static_cast<int>(std::lround((delay + (k + 1) * period) / T));
            ASSERT_EQ(actual[k], r.actual[static_cast<size_t>(tick - 1)]) << k;
        }
    }
}

TEST(SimBlocks, BlocksRunInOrderAndAJumpWithoutWaitCannotHang) {
    auto c = simtest::Bench();
    ASSERT_EQ(c->EnableAxis(1, 1), 0);
    ASSERT_EQ(c->SetOperatingMode(1, 0, 1), 0);
    int big = 1 << 30, zero = 0, one = 1;
    ASSERT_EQ(c->SetRegister(0, &big, 2), 0);
    ASSERT_EQ(c->BlockBegin(0, 0), 0);
    ASSERT_EQ(c->Command(0, 134, &one, 2), 0);
    ASSERT_EQ(c->Command(0, 163, &zero, 2), 0);
    ASSERT_EQ(c->Command(0, 6, &zero, 2), 0);
    int task = 0;
    ASSERT_EQ(c->BlockEnd(&task), 0);
    ASSERT_EQ(c->BlockBegin(0, 0), 0);
    EXPECT_EQ(c->BlockBegin(0, 0), zqsim::kErrBlockState);
    ASSERT_EQ(c->MoveAbsolute(1, 5), 0);
    ASSERT_EQ(c->BlockEnd(nullptr), 0);
    c->AdvanceTo(c->Now() + 100 * kMs);
    double target = -1;
    c->Get(1, Controller::kTarget, &target);
    EXPECT_EQ(target, 0);  // the second block waits for the first
    ASSERT_EQ(c->CancelTask(task), 0);
    c->AdvanceTo(c->Now() + 10 * kMs);
    c->Get(1, Controller::kTarget, &target);
    EXPECT_EQ(target, 5);
    // A jump must land inside its block.
    ASSERT_EQ(c->BlockBegin(0, 0), 0);
    int outside = 5;
    EXPECT_EQ(c->Command(0, 6, &outside, 2), zqsim::kErrBadValue);
    EXPECT_EQ(c->Command(0, 6, &zero, 2), 0);
    ASSERT_EQ(c->BlockEnd(nullptr), 0);
    EXPECT_EQ(c->Command(0, 6, &zero, 2), zqsim::kErrBlockState);
    EXPECT_EQ(c->Command(0, 120, &zero, 2), zqsim::kErrBlockState);
}

TEST(SimBlocks, GearedPartnerFollowsItsMasterUntilReleased) {
    auto c = simtest::Bench();
    for (int a : {1, 2}) ASSERT_EQ(c->EnableAxis(a, 1), 0);
    ASSERT_EQ(c->Set(2, Controller::kSetPosition, 7), 0);
    ASSERT_EQ(c->EnableGearing(2, 1, 1.0, 1), 0);
    EXPECT_EQ(c->EnableGearing(1, 2, 1.0, 1), zqsim::kErrGeared);  // no gearing loops
    EXPECT_EQ(c->EnableGearing(3, 2, 1.0, 1), zqsim::kErrGeared);  // nor chains
    EXPECT_EQ(c->MoveRelative(2, 1), zqsim::kErrGeared);
    ASSERT_EQ(c->BlockBegin(0, 0), 0);
    ASSERT_EQ(c->MoveRelative(1, 20), 0);
    ASSERT_EQ(c->WaitForStop(1, 0.025), 0);
    ASSERT_EQ(c->EnableGearing(2, 1, 1.0, 0), 0);
    ASSERT_EQ(c->MoveRelative(1, 20), 0);
    ASSERT_EQ(c->BlockEnd(nullptr), 0);
    c->AdvanceTo(c->Now() + 500 * kMs);
    double p1 = 0, p2 = 0;
    c->Get(1, Controller::kOptimal, &p1);
    c->Get(2, Controller::kOptimal, &p2);
    EXPECT_EQ(p1, 40);
    EXPECT_EQ(p2, 27);
    EXPECT_EQ(c->GetStatus(2) & zqsim::kStatusGeared, 0);
}

TEST(SimBlocks, ALongGapCatchesUpAnArmedCaptureAndItsMoveCompletely) {
    // 2000 points every 3.5 ms (7 s) with a move of 200 units at 50 units/s,
    // and then one call much later: every point is there, in step with the
    // move (the bench's acceleration of 200000 makes ramps of 0.25 ms).
    for (int64_t gap : {7600 * kMs, 60'000 * kMs}) {
        SCOPED_TRACE(gap);
        auto c = simtest::Bench();
        ASSERT_EQ(c->EnableAxis(1, 1), 0);
        ASSERT_EQ(c->SetOperatingMode(1, 0, 2), 0);
        ASSERT_EQ(c->Set(1, Controller::kSetVelocity, 50), 0);
        ASSERT_EQ(c->BlockBegin(0, 0), 0);
        ASSERT_EQ(c->CaptureData(1, 2000, 0.0035, 0), 0);
        ASSERT_EQ(c->MoveRelative(1, 200), 0);
        ASSERT_EQ(c->BlockEnd(nullptr), 0);
        c->AdvanceTo(c->Now() + gap);
        auto v = Optimal(*c, 1, 2000);
        ASSERT_EQ(v.size(), 2000u);
        for (int k = 0; k < 2000; ++k) {
            double t = (k + 1) * 0.0035;
            double expected = t < 4 - 0.00025 ? 50 * t - 0.00625 : 200;
            ASSERT_NEAR(v[static_cast<size_t>(k)], expected, 1e-9) << k;
        }
    }
}
