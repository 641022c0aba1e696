// Settings helpers that need no registry: version order, slider limits, stored
// test times and the window placement check.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "core/settings.h"

namespace {

TEST(SettingsVersion, ByteOrderDecidesWhetherPaneSettingsLoad) {
    const struct { const char* stored; bool loads; } cases[] = {
        {"2.7.0.217", true}, {"2.7.0.300", true}, {"3.0", true}, {"2.8", true},
        {"2.6.0.100", false}, {"2.10.0.1", false}, {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(CompareVersion(c.stored) >= 0, c.loads) << c.stored;
}

TEST(SettingsLimits, UnsoundLimitsResetToFullRange) {
    const struct { double lower, upper, wantLower, wantUpper; } cases[] = {
        {0, 100, 0, 100}, {25, 75, 25, 75}, {0, 0.05, 0, 0.05},
        {50, 50, 0, 100}, {60, 40, 0, 100}, {-1, 50, 0, 100}, {10, 100.5, 0, 100},
        {NAN, 50, 0, 100}, {10, INFINITY, 0, 100},
    };
    for (const auto& c : cases) {
        GainChannel g;
        g.LowerLimit = c.lower;
        g.UpperLimit = c.upper;
        ValidateLimits(g);
        EXPECT_EQ(g.LowerLimit, c.wantLower) << c.lower << " " << c.upper;
        EXPECT_EQ(g.UpperLimit, c.wantUpper) << c.lower << " " << c.upper;
    }
}

TEST(SettingsTimes, StoredTimesBeyondTheSheetsLimitsAreRefused) {
    const struct { double seconds; bool recordTime, delay; } cases[] = {
        {0.5, true, true},    {0.0, false, true},   {60.0, true, true},   {60.0001, false, false},
        {1e9, false, false},  {-0.001, false, false}, {NAN, false, false}, {INFINITY, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StoredRecordTimeValid(c.seconds), c.recordTime) << c.seconds;
        EXPECT_EQ(StoredDelayValid(c.seconds), c.delay) << c.seconds;
    }
}

TEST(SettingsPlacement, AnyStoredNumbersAreCheckedWithoutOverflow) {
    const RECT desk = {0, 0, 1024, 768};
    const struct { int x, y, width, height; bool meets; } cases[] = {
        {0, 0, 640, 480, true},
        {100, 100, INT_MAX, INT_MAX, true},  // the edges pass the range of an int
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, false},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX, false},  // ends just short of the desktop
        {-600, -400, 640, 480, true},
        {50000, 40000, 640, 480, false},
        {100, 100, -640, 480, false}, {100, 100, 0, 480, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlacementMeetsDesktop(c.x, c.y, c.width, c.height, desk), c.meets)
            << c.x << ", " << c.y << " " << c.width << " x " << c.height;
}

}  // namespace
