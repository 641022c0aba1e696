// The simulated controller's time: the real-time wait measures its limit on a
// clock, and a long gap between calls never cuts short a block, a move or a
// capture (on the library as the program binds it, on the wall clock).
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "api_dll.h"
#include "controller/zq_library.h"
#include "sim_wait.h"
#include "tests/harness/wall_clock.h"

namespace {

// A wait that never ends, on a clock whose pauses last 15.6 ms (a Sleep(5) on
// Windows' default timer): it gives up once 10 s have passed on that clock.
TEST(SimWait, TheLimitIsMeasuredOnTheClockNotInPasses) {
    for (int64_t pause_ns : {15'625'000LL, 5'000'000LL, 1'000LL}) {
        SCOPED_TRACE(pause_ns);
        int64_t now = 0;
        int polls = 0;
        int r = zqsim::PollUntilDone([&] { ++polls; return zqsim::kErrTimeout; }, [&] { return now; },
                                     [&] { now += pause_ns; }, 10'000'000'000LL);
        EXPECT_EQ(r, zqsim::kErrTimeout);
        EXPECT_GE(now, 10'000'000'000LL);
        EXPECT_LT(now, 10'000'000'000LL + pause_ns + 1);
        EXPECT_EQ(polls, static_cast<int>(now / pause_ns) + 1);
    }
    // A poll that comes back with an answer ends the wait at once with it.
    int64_t now = 0;
    int polls = 0;
    int r = zqsim::PollUntilDone([&] { return ++polls < 3 ? zqsim::kErrTimeout : 0; }, [&] { return now; },
                                 [&] { now += 15'625'000; }, 10'000'000'000LL);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(polls, 3);
}

// Commanded position of a trapezoidal move of 200 units at 50 units/s with the
// bench's acceleration of 200000 units/s/s, t seconds after its start.
double SlowMoveAt(double t) {
    const double v = 50, ramp = v / 200000, cruise_end = 200 / v - ramp;
    return t < cruise_end ? v * t - v * ramp / 2 : 200;
}

// Controller 0 arms a capture of 7 s with a slow move and is then left alone
// while controller 1 waits for a move of 100 s: the wait gives up after 10 s
// on the wall clock, and controller 0, called again only then, has captured
// every point in step with its move.
TEST(SimClock, ALongWaitOnOneControllerAndALongGapOnAnother) {
    ASSERT_EQ(LoadApiLibrary(), 0);
    SetEnvironmentVariableA("ZQSIM_CONFIG", nullptr);
    using SetDouble = int __stdcall(short, unsigned short, double);
    auto set_velocity = simtest::ApiProc<SetDouble>("ZqSetVelocity");
    short h0 = ZqOpen(0, 2, ""), h1 = ZqOpen(1, 2, "");
    ASSERT_GT(h0, 0);
    ASSERT_GT(h1, 0);
    for (short h : {h0, h1}) {
        ASSERT_EQ(ZqReset(h, 0), 0);
        ASSERT_EQ(ZqEnableAxis(h, 1, 1), 0);
        ASSERT_EQ(ZqSetOperatingMode(h, 1, 0, 2), 0);
    }
    const int n = 2000;
    const double period = 0.0035;
    ASSERT_EQ(set_velocity(h0, 1, 50), 0);
    ASSERT_EQ(ZqBlockBegin(h0, 0, 0), 0);
    ASSERT_EQ(ZqCaptureData(h0, 1, n, period, 0), 0);
    ASSERT_EQ(ZqMoveRelative(h0, 1, 200), 0);
    ASSERT_EQ(ZqBlockEnd(h0, nullptr), 0);

    ASSERT_EQ(set_velocity(h1, 1, 1), 0);
    ASSERT_EQ(ZqMoveRelative(h1, 1, 100), 0);
    double start = WallSeconds();
    EXPECT_EQ(ZqWaitForStop(h1, 1, 0), -13);
    double waited = WallSeconds() - start;
    EXPECT_GE(waited, 9.99);
    EXPECT_LT(waited, 10.5);

    std::vector<double> optimal(n), actual(n);
    ASSERT_EQ(ZqGetCaptureData(h0, 1, 64, 0, n, optimal.data()), 0);
    ASSERT_EQ(ZqGetCaptureData(h0, 1, 16, 0, n, actual.data()), 0);
    for (int k = 0; k < n; ++k) {
        ASSERT_NEAR(optimal[k], SlowMoveAt((k + 1) * period), 1e-9) << k;
        ASSERT_NEAR(actual[k], optimal[k], 5) << k;  // the loop follows the move
    }
    ZqClose(h0);
    ZqClose(h1);
}

}  // namespace
