// Grid placement at round values: a table of ranges and asked divisions with
// the lines each must give.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "libs/plotwin/plot_grid.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

std::vector<double> Lines(double first, double step, int n) {
    std::vector<double> v;
    for (int i = 0; i < n; ++i) v.push_back(first + step * i);
    return v;
}

TEST(PlaceGrid, RoundValuesNearTheAskedDivisions) {
    struct Case {
        const char* name;
        double lo, hi;
        int divisions;
        double step;
        std::vector<double> values;
    };
    const Case cases[] = {
        {"typical step plot", -0.5, 200, 10, 20, Lines(0, 20, 11)},
        {"symmetric", -25, 25, 4, 10, {-20, -10, 0, 10, 20}},
        {"time axis in ms", 0, 500, 10, 50, Lines(0, 50, 11)},
        {"two divisions", 0, 1, 2, 0.5, {0, 0.5, 1}},
        {"quarter steps", 0, 100, 4, 25, {0, 25, 50, 75, 100}},
        {"negative range", -180, -20, 4, 50, {-150, -100, -50}},
        {"inverted range reads as upright", 200, -0.5, 10, 20, Lines(0, 20, 11)},
        {"tiny range", 1e-9, 3e-9, 4, 5e-10, {1e-9, 1.5e-9, 2e-9, 2.5e-9, 3e-9}},
        {"huge range", 0, 4e12, 4, 1e12, {0, 1e12, 2e12, 3e12, 4e12}},
        {"decimal steps come out exact", 0, 0.7, 10, 0.1, {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7}},
        {"no divisions count as one", 0, 10, 0, 10, {0, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridPlacement g = PlaceGrid(c.lo, c.hi, c.divisions);
        EXPECT_DOUBLE_EQ(g.step, c.step);
        ASSERT_EQ(g.values.size(), c.values.size());
        for (size_t i = 0; i < c.values.size(); ++i) EXPECT_DOUBLE_EQ(g.values[i], c.values[i]) << i;
    }
    // Decimal lines equal the literal, not a sum of steps (0.30000000000000004).
    EXPECT_EQ(PlaceGrid(0, 0.7, 10).values[3], 0.3);
    EXPECT_EQ(std::signbit(PlaceGrid(-25, 25, 4).values[2]), false);
}

TEST(PlaceGrid, NoLinesForRangesWithoutWidth) {
    const struct { const char* name; double lo, hi; } cases[] = {
        {"empty", 5, 5},           {"not a number", kNaN, 1}, {"infinite", 0, kInf},
        {"overflowing width", -1.7e308, 1.7e308}, {"far from zero", 1e17, 1e17 + 64},
    };
    for (const auto& c : cases) {
        GridPlacement g = PlaceGrid(c.lo, c.hi, 10);
        EXPECT_TRUE(g.values.empty()) << c.name;
    }
}

// Over many ranges: never more than 1.5 times the asked intervals, a round
// step, every line inside the range and no two equal.
TEST(PlaceGrid, StepsAreRoundAndIntervalsBounded) {
    for (int divisions : {2, 4, 10}) {
        for (double lo = -1000; lo < 1000; lo += 37.3) {
            for (double width : {0.013, 1.0, 7.7, 99.0, 150.0, 1234.5}) {
                double hi = lo + width;
                GridPlacement g = PlaceGrid(lo, hi, divisions);
                ASSERT_GT(g.step, 0) << lo << " " << width;
                EXPECT_LE(width / g.step, 1.5 * divisions + 1e-9);
                double m = g.step / std::pow(10.0, std::floor(std::log10(g.step) + 1e-12));
                EXPECT_TRUE(std::fabs(m - 1) < 1e-9 || std::fabs(m - 2) < 1e-9 || std::fabs(m - 2.5) < 1e-9 ||
                            std::fabs(m - 5) < 1e-9)
                    << g.step;
                for (size_t i = 0; i < g.values.size(); ++i) {
                    EXPECT_GE(g.values[i], lo - 1e-9 * width);
                    EXPECT_LE(g.values[i], hi + 1e-9 * width);
                    if (i) {
                        EXPECT_NEAR(g.values[i] - g.values[i - 1], g.step, 1e-9 * g.step);
                    }
                }
            }
        }
    }
}

}  // namespace
