// Settings helpers that need no registry: version order and slider limits.
#include <gtest/gtest.h>

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

}  // namespace
