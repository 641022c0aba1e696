// The plot library's window-free parts: number formats, pane messages on the
// pane state, mapping and the stored settings.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "libs/plotwin/plot_draw.h"
#include "libs/plotwin/plot_extras.h"
#include "libs/plotwin/plot_format.h"
#include "libs/plotwin/plot_mapping.h"
#include "libs/plotwin/plot_pane.h"
#include "libs/plotwin/plot_settings.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(YFormat, AcceptsOneFloatingConversionOnly) {
    struct Case { const char* format; bool ok; };
    const Case cases[] = {
        {"%lg", true}, {"%7.3lf", true}, {"%g", true}, {"%+.2e", true}, {"%-10.4G", true}, {"%.1f V", true},
        {"100%% %g", true}, {"%a", true},
        {"%s", false}, {"%n", false}, {"%d", false}, {"%g %g", false}, {"%lg%n", false}, {"no number", false},
        {"%*g", false}, {"%.*f", false}, {"%Lf", false}, {"%llf", false}, {"%123f", false}, {"%.100f", false},
        {"%", false}, {"%5", false}, {"", false}, {nullptr, false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsSafeYFormat(c.format), c.ok) << (c.format ? c.format : "null");
}

TEST(YFormat, RefusedFormatKeepsThePreviousOne) {
    PlotPane pane;
    EXPECT_TRUE(PaneSetYFormat(pane, "%7.3lf"));
    for (const char* bad : {"%s", "%n", "%g%g", static_cast<const char*>(nullptr)}) {
        EXPECT_FALSE(PaneSetYFormat(pane, bad));
        EXPECT_EQ(pane.yFormat, "%7.3lf");
    }
    EXPECT_EQ(FormatYNumber(pane.yFormat, 1.5), "1.500");
    EXPECT_EQ(FormatYNumber("%lg", -0.0), "0");
    EXPECT_EQ(FormatXNumber(1e-14, 500), "0");
    EXPECT_EQ(FormatXNumber(250, 500), "250");
}

double Get(PlotPane& pane, UINT message) {
    double v = 12345;
    PaneHandleMessage(pane, message, 0, reinterpret_cast<LPARAM>(&v), nullptr);
    return v;
}

void Send(PlotPane& pane, UINT message, WPARAM wParam, const void* lParam) {
    PaneHandleMessage(pane, message, wParam, reinterpret_cast<LPARAM>(lParam), nullptr);
}

TEST(PaneRange, WidensEmptiesAndSkipsNonFiniteValues) {
    PlotPane pane;
    EXPECT_EQ(Get(pane, PWM_GETMIN), 0);  // empty range reads 0 .. 0
    EXPECT_EQ(Get(pane, PWM_GETMAX), 0);

    const double data[] = {5, kNaN, -3.2, kInf, 104, -kInf, 20};
    Send(pane, PWM_ADDRANGE, 7, data);
    const double target = 100;
    Send(pane, PWM_ADDRANGE, 1, &target);
    EXPECT_EQ(Get(pane, PWM_GETMIN), -3.2);
    EXPECT_EQ(Get(pane, PWM_GETMAX), 104);

    Send(pane, PWM_ADDRANGE, 3, nullptr);  // null data: nothing happens
    EXPECT_EQ(Get(pane, PWM_GETMAX), 104);

    Send(pane, PWM_ADDRANGE, 0, nullptr);  // 0, 0 empties
    EXPECT_EQ(Get(pane, PWM_GETMIN), 0);
    const double positive[] = {7, 9};
    Send(pane, PWM_ADDRANGE, 2, positive);  // the next values start a new range
    EXPECT_EQ(Get(pane, PWM_GETMIN), 7);
    EXPECT_EQ(Get(pane, PWM_GETMAX), 9);

    const double onlyNaN[] = {kNaN};
    Send(pane, PWM_ADDRANGE, 0, nullptr);
    Send(pane, PWM_ADDRANGE, 1, onlyNaN);
    EXPECT_EQ(Get(pane, PWM_GETMAX), 0);
    Send(pane, PWM_GETMIN, 0, nullptr);  // no output pointer: no crash
}

TEST(PaneData, CountsSeriesNumbersAndNullPointers) {
    PlotPane pane;
    std::vector<double> big(65535, 1.0);
    Send(pane, PWM_SETDATA, MAKEWPARAM(kSeriesActual, 65535), big.data());
    EXPECT_EQ(pane.series[kSeriesActual].y.size(), 65535u);
    Send(pane, PWM_SETDATA, MAKEWPARAM(kSeriesActual, 10), nullptr);  // ignored
    EXPECT_EQ(pane.series[kSeriesActual].y.size(), 65535u);
    Send(pane, PWM_SETDATA, MAKEWPARAM(kSeriesActual, 0), nullptr);  // count 0 empties the series
    EXPECT_TRUE(pane.series[kSeriesActual].y.empty());
    Send(pane, PWM_SETDATA, MAKEWPARAM(7, 3), big.data());    // no series 7
    Send(pane, PWM_SETDATA, MAKEWPARAM(0xFFFF, 3), big.data());
    Send(pane, PWM_SETSERIESNAME, 9, "x");
    Send(pane, PWM_SETSERIESSTYLE, 0xFFFFFFFF, reinterpret_cast<void*>(1));

    Send(pane, PWM_SETDATA, MAKEWPARAM(kSeriesTarget, 2), big.data());
    Send(pane, PWM_SETSERIESNAME, kSeriesTarget, "Target");
    Send(pane, PWM_SETSERIESNAME, kSeriesError, nullptr);
    std::string longName(1000, 'n');
    Send(pane, PWM_SETSERIESNAME, kSeriesTorque, longName.c_str());
    EXPECT_EQ(pane.series[kSeriesTorque].name.size(), kMaxTextLength);
    Send(pane, PWM_CLEAR, 1, reinterpret_cast<void*>(-1));
    for (const SeriesData& s : pane.series) {
        EXPECT_TRUE(s.y.empty());
        EXPECT_TRUE(s.name.empty());
    }
}

TEST(PaneLimits, NullAndNonFiniteLimitsAndDivisionsAreIgnored) {
    PlotPane pane;
    const double x0 = 10, x1 = 510, nan = kNaN;
    Send(pane, PWM_SETXMIN, 0, &x0);
    Send(pane, PWM_SETXMAX, 0, &x1);
    Send(pane, PWM_SETXMAX, 0, nullptr);
    Send(pane, PWM_SETXMAX, 0, &nan);
    EXPECT_EQ(pane.xMin, 10);
    EXPECT_EQ(pane.xMax, 510);
    for (LPARAM d : {2, 4, 10}) {
        PaneHandleMessage(pane, PWM_SETYDIVISIONS, 0, d, nullptr);
        EXPECT_EQ(pane.yDivisions, d);
    }
    for (LPARAM bad : {0, -1, 100000}) PaneHandleMessage(pane, PWM_SETXDIVISIONS, 0, bad, nullptr);
    EXPECT_EQ(pane.xDivisions, 10);
}

TEST(Mapping, RangesAsDrawn) {
    struct Case { double lo, hi, drawnLo, drawnHi; };
    const Case cases[] = {
        {-5, 200, -5, 200},   // as given
        {200, -5, -5, 200},   // y minimum above y maximum: put right way up
        {0, 0, -1, 1},        // empty range around 0
        {50, 50, 45, 55},     // empty range around a value
        {kNaN, 5, 0, 1},
    };
    for (const Case& c : cases) {
        PlotPane pane;
        pane.yMin = c.lo;
        pane.yMax = c.hi;
        AxisRange r = DrawnYRange(pane);
        EXPECT_DOUBLE_EQ(r.lo, c.drawnLo) << c.lo << " " << c.hi;
        EXPECT_DOUBLE_EQ(r.hi, c.drawnHi) << c.lo << " " << c.hi;
    }
    AxisMap y{-5, 200, 399, 0};
    EXPECT_EQ(y(-5), 399);
    EXPECT_EQ(y(200), 0);
    EXPECT_EQ(y(97.5), 200);
    EXPECT_LT(y(1e300), -20000);  // clamped, not overflowing
    EXPECT_GT(y(-1e300), 20000);
    EXPECT_GT(y(kNaN), -40000);
}

TEST(Mapping, SeriesPointsSpanTheAxisAndNonFiniteValuesSplitRuns) {
    const double y[] = {0, 1, kNaN, 3, 4, kInf, 6};
    std::vector<POINT> points;
    std::vector<size_t> runs;
    MapSeries(y, 7, AxisMap{0, 1, 100, 160}, AxisMap{0, 10, 100, 0}, points, runs);
    ASSERT_EQ(runs, (std::vector<size_t>{2, 2, 1}));
    EXPECT_EQ(points[0].x, 100);
    EXPECT_EQ(points[2].x, 130);
    EXPECT_EQ(points[4].x, 160);
    EXPECT_EQ(points[4].y, 40);
}

// A legend too wide for its row continues in the next; an entry wider than
// the room still gets a row.
TEST(Legend, EntriesFlowIntoRows) {
    struct Case {
        std::vector<int> widths;
        int room;
        std::vector<int> rows;
    } cases[] = {
        {{}, 100, {}},
        {{30, 30, 30}, 110, {0, 0, 0}},        // 30 + 10 + 30 + 10 + 30 = 110 fits exactly
        {{30, 30, 30}, 109, {0, 0, 1}},
        {{50, 50, 50, 50}, 110, {0, 0, 1, 1}},
        {{200, 20, 20}, 100, {0, 1, 1}},       // the first entry is wider than the room
        {{20, 200, 20}, 100, {0, 1, 2}},
        {{40, 40}, 0, {0, 1}},
    };
    for (const Case& c : cases) EXPECT_EQ(LegendRows(c.widths, c.room, 10), c.rows) << c.room;
}

// The metrics box breaks a line too wide for the plot between its fields.
TEST(MetricsBox, LinesBreakBetweenFields) {
    auto width = [](const std::string& s) { return static_cast<int>(s.size()); };  // one unit a character
    const std::string text = "Rise 20.1 ms  Overshoot 30.9 %  Settling 178 ms";
    struct Case {
        int room;
        std::vector<std::string> lines;
    } cases[] = {
        {100, {text}},
        {47, {text}},  // exactly as wide as the room
        {46, {"Rise 20.1 ms  Overshoot 30.9 %", "Settling 178 ms"}},
        {20, {"Rise 20.1 ms", "Overshoot 30.9 %", "Settling 178 ms"}},
        {5, {"Rise 20.1 ms", "Overshoot 30.9 %", "Settling 178 ms"}},  // a field is never cut
    };
    for (const Case& c : cases) EXPECT_EQ(MetricsLines(text, c.room, width), c.lines) << c.room;
    // Lines of their own stay apart; empty text is one empty line; runs of spaces part fields once.
    EXPECT_EQ(MetricsLines("a  b\nc", 100, width), (std::vector<std::string>{"a  b", "c"}));
    EXPECT_EQ(MetricsLines("", 100, width), (std::vector<std::string>{""}));
    EXPECT_EQ(MetricsLines("a     b", 3, width), (std::vector<std::string>{"a", "b"}));
}

TEST(StoredSettings, RoundTripAndRejectedValues) {
    PlotAppearance look = DefaultAppearance();
    look.colors[kSeriesActual] = RGB(1, 2, 3);
    look.widths[kSeriesTarget] = 3;
    look.grid = false;
    look.background = RGB(255, 255, 225);
    std::vector<BYTE> data = EncodeAppearance(look);
    ASSERT_EQ(data.size(), kEncodedAppearanceSize);
    EXPECT_EQ(data[0], kSettingsVersion);
    PlotAppearance read = DefaultAppearance();
    ASSERT_TRUE(DecodeAppearance(data.data(), data.size(), read));
    EXPECT_TRUE(read == look);

    struct Bad { const char* what; size_t at; BYTE value; size_t size; };
    const Bad bad[] = {
        {"other version", 0, 2, kEncodedAppearanceSize},
        {"unknown flag", 1, 4, kEncodedAppearanceSize},
        {"width 0", kEncodedAppearanceSize - 1, 0, kEncodedAppearanceSize},
        {"width 11", kEncodedAppearanceSize - 2, 11, kEncodedAppearanceSize},
        {"colour high byte", 11, 1, kEncodedAppearanceSize},
        {"short", 0, 1, kEncodedAppearanceSize - 1},
    };
    for (const Bad& b : bad) {
        std::vector<BYTE> v = data;
        v[b.at] = b.value;
        PlotAppearance kept = DefaultAppearance();
        EXPECT_FALSE(DecodeAppearance(v.data(), b.size, kept)) << b.what;
        EXPECT_TRUE(kept == DefaultAppearance()) << b.what;
    }
    std::vector<BYTE> longer = data;
    longer.push_back(0);
    EXPECT_FALSE(DecodeAppearance(longer.data(), longer.size(), read));
    EXPECT_FALSE(DecodeAppearance(nullptr, 0, read));
}

}  // namespace
