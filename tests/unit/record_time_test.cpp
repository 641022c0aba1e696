// Fitting the record time to the capture buffer, and the wait for the capture.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/record_time.h"
#include "steptest/step_run.h"

namespace {

struct FitCase {
    double recordTime, servoPeriod;
    int buffer;
    bool advanced;
    int sampleCount;
    double samplePeriod, result;
};

TEST(RecordTime, FitsRecordTimeToBuffer) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const FitCase cases[] = {
        {0.5, 0.0005, 1024, true, 1001, 0.0005, 0.0},    // fits at the servo period
        {2.0, 0.0005, 1024, true, 1001, 0.002, 0.0},     // longer: the period grows 4 times
        {2.0, 0.0005, 1024, false, 1025, 0.0005, 0.512}, // cannot grow: the longest record time
        {0.5, 0.0005, 1024, false, 1001, 0.0005, 0.0},   // fits: n + 1 points, not the whole buffer
        {0.512, 0.0005, 1024, false, 1025, 0.0005, 0.0}, // exactly the buffer
        {0.0004, 0.0005, 1024, false, 2, 0.0005, 0.0},   // shorter than one period: one point
        {1e9, 0.0005, 1024, true, 1025, 0.0005 * std::ceil(1e9 / 1024 / 0.0005), 0.0},
        {1e9, 0.0005, 1024, false, 1025, 0.0005, 0.512},
        // No servo period: no capture period, the start sample only, nothing divided by zero.
        {0.5, 0.0, 1024, true, 1, 0.0, 0.0},
        {0.5, -0.001, 1024, false, 1, 0.0, 0.0},
        {0.5, nan, 1024, false, 1, 0.0, 0.0},
        // No capture buffer.
        {0.5, 0.0005, 0, true, 1, 0.0005, 0.0},
        {0.5, 0.0005, 0, false, 1, 0.0005, 0.0},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "record " << c.recordTime << " period " << c.servoPeriod << " buffer "
                                        << c.buffer << " advanced " << c.advanced);
        RecordTimeFit fit = FitRecordTime(c.recordTime, c.servoPeriod, c.buffer, c.advanced);
        EXPECT_EQ(fit.sampleCount, c.sampleCount);
        EXPECT_DOUBLE_EQ(fit.samplePeriod, c.samplePeriod);
        EXPECT_DOUBLE_EQ(fit.result, c.result);
    }
}

TEST(RecordTime, WaitIsRecordPlusDelayPlus25MsAndNeverNegative) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct { double recordTime, delay; DWORD ms; } cases[] = {
        {0.5, 0.0, 525},
        {0.5, 0.1, 625},
        {0.0015, 0.0, 26},   // 26.5 truncates
        {0.512, 0.0, 537},
        {-1.0, 0.0, 0},
        {nan, 0.0, 0},
        {1e12, 0.0, INFINITE - 1},  // a finite wait, never INFINITE
    };
    for (const auto& c : cases) EXPECT_EQ(CaptureWaitMs(c.recordTime, c.delay), c.ms) << c.recordTime << " " << c.delay;
}

TEST(RecordTime, SamplingBelowOneCountsAsOne) {
    EXPECT_EQ(EffectiveSampling(0), 1);
    EXPECT_EQ(EffectiveSampling(-4), 1);
    EXPECT_EQ(EffectiveSampling(3), 3);
}

}  // namespace
