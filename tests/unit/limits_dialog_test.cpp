// Validation of the slider limits and the number format of the dialog helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "panel/dialog_helpers.h"
#include "panel/limits_dialog.h"

namespace {

const char* const kPOrder = "Proportional Gain Upper Limit must be greater than Lower Limit.";
const char* const kPRange = "Proportional Gain Limits must be between 0% and 100%.";
const char* const kIOrder = "Intergral Gain Upper Limit must be greater than Lower Limit.";
const char* const kIRange = "Integral Gain Limits must be between 0% and 100%.";
const char* const kDOrder = "Derivative Gain Upper Limit must be greater than Lower Limit.";
const char* const kDRange = "Derivative Gain Limits must be between 0% and 100%.";
const char* const kPInside = "Proportional Gain is not within Limits.";
const char* const kIInside = "Integral Gain is not within Limits.";
const char* const kDInside = "Derivative Gain is not within Limits.";

TEST(CheckGainLimits, FirstFailingCheckNamesItsMessage) {
    const struct {
        GainLimitPair limits[3];   // P, I, D as {upper, lower}
        double percents[3];
        const char* message;       // nullptr: accepted
    } cases[] = {
        {{{100, 0}, {100, 0}, {100, 0}}, {0, 0, 0}, nullptr},
        {{{100, 0}, {100, 0}, {100, 0}}, {100, 50, 0}, nullptr},
        {{{100, 60}, {40, 30}, {0.2, 0.1}}, {60, 40, 0.1}, nullptr},  // gains on the limits
        // Order and range of each gain.
        {{{50, 50}, {100, 0}, {100, 0}}, {50, 0, 0}, kPOrder},
        {{{40, 50}, {100, 0}, {100, 0}}, {45, 0, 0}, kPOrder},
        {{{100.5, 0}, {100, 0}, {100, 0}}, {0, 0, 0}, kPRange},
        {{{100, -0.1}, {100, 0}, {100, 0}}, {0, 0, 0}, kPRange},
        {{{100, 0}, {20, 20}, {100, 0}}, {0, 20, 0}, kIOrder},
        {{{100, 0}, {100.5, 0}, {100, 0}}, {0, 0, 0}, kIRange},
        {{{100, 0}, {100, -0.1}, {100, 0}}, {0, 0, 0}, kIRange},
        {{{100, 0}, {100, 0}, {0, 0}}, {0, 0, 0}, kDOrder},
        {{{100, 0}, {100, 0}, {100.5, 0}}, {0, 0, 0}, kDRange},
        {{{100, 0}, {100, 0}, {100, -0.1}}, {0, 0, 0}, kDRange},
        // The current gains must lie inside.
        {{{100, 70}, {100, 0}, {100, 0}}, {60, 0, 0}, kPInside},
        {{{100, 60}, {100, 0}, {100, 0}}, {60, 0, 0}, nullptr},
        {{{50, 0}, {100, 0}, {100, 0}}, {60, 0, 0}, kPInside},
        {{{100, 0}, {30, 10}, {100, 0}}, {0, 5, 0}, kIInside},
        {{{100, 0}, {100, 0}, {30, 10}}, {0, 0, 31}, kDInside},
        // Order of the checks: P before I before D, all limit checks before the gains.
        {{{100.5, 0}, {10, 20}, {100, 0}}, {0, 0, 0}, kPRange},
        {{{100, 0}, {10, 20}, {5, 10}}, {0, 0, 0}, kIOrder},
        {{{100, 70}, {100, 0}, {5, 10}}, {0, 0, 0}, kDOrder},
        {{{100, 70}, {30, 10}, {100, 0}}, {0, 0, 0}, kPInside},
        {{{100, 0}, {30, 10}, {30, 10}}, {0, 0, 0}, kIInside},
        // Numbers that are not numbers never pass.
        {{{NAN, 0}, {100, 0}, {100, 0}}, {0, 0, 0}, kPOrder},
        {{{100, NAN}, {100, 0}, {100, 0}}, {0, 0, 0}, kPOrder},
        {{{100, 0}, {INFINITY, 0}, {100, 0}}, {0, 0, 0}, kIRange},
        {{{100, 0}, {100, 0}, {100, -INFINITY}}, {0, 0, 0}, kDRange},
    };
    int row = 0;
    for (const auto& c : cases) {
        const char* got = CheckGainLimits(c.limits, c.percents);
        EXPECT_STREQ(got, c.message) << "row " << row;
        ++row;
    }
}

TEST(FormatDlgNumber, PrecisionChoosesTheFormatAndLongTextIsCut) {
    const struct { double value; int precision; const char* text; } cases[] = {
        {100, -1, "100.000000"}, {12.5, -1, "12.500000"}, {0, -1, "0.000000"}, {-0.1, -1, "-0.100000"},
        {12.5, 2, "12.50"}, {12.4, 0, "12"}, {0.0001234, 5, "0.00012"},
    };
    for (const auto& c : cases) {
        char text[40];
        FormatDlgNumber(text, sizeof text, c.value, c.precision);
        EXPECT_STREQ(text, c.text) << c.value << " " << c.precision;
    }
    char text[40];
    FormatDlgNumber(text, sizeof text, 1e50, -1);
    EXPECT_EQ(std::string(text).size(), 39u);
    EXPECT_EQ(std::string(text).substr(0, 3), "100");
}

}  // namespace
