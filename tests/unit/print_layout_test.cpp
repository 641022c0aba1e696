// Printed report: pane viewports of every style and the report's value texts.
#include <gtest/gtest.h>

#include "core/app_state.h"
#include "print/pane_placement.h"
#include "print/report_layout.h"

namespace {

struct Expected { int pane, originY, extentY; };

void ExpectPlacement(int style, int count, bool torque, const std::vector<Expected>& want) {
    std::vector<PaneViewport> got = PlacePrintedPanes(style, count, torque, 4800, 6600);
    ASSERT_EQ(got.size(), want.size()) << "style " << style << " count " << count;
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "style " << style << " count " << count << " pane " << i);
        EXPECT_EQ(got[i].pane, want[i].pane);
        EXPECT_EQ(got[i].originX, 240);
        EXPECT_EQ(got[i].extentX, 4224);
        EXPECT_EQ(got[i].originY, want[i].originY);
        EXPECT_EQ(got[i].extentY, want[i].extentY);
    }
}

TEST(PrintedPanes, ViewportsOnA4800x6600Page) {
    ExpectPlacement(kPlotSingle, 1, false, {{0, 4290, -3630}});
    ExpectPlacement(kPlotSingle, 3, true, {{0, 4290, -3630}});  // Single prints pane 0 only
    ExpectPlacement(kPlotMulti, 2, false, {{0, 2970, -2640}, {1, 4290, -1320}});
    ExpectPlacement(kPlotMulti, 3, true, {{0, 2310, -1980}, {1, 3300, -990}, {2, 4290, -990}});
    // Repeated addition leaves f just below 0.45 and 0.65.
    ExpectPlacement(kPlotSeparate, 3, false, {{0, 1650, -1320}, {1, 2969, -1320}, {2, 4289, -1320}});
    ExpectPlacement(kPlotSeparate, 4, false, {{0, 1320, -990}, {1, 2310, -990}, {2, 3300, -990}, {3, 4290, -990}});
    ExpectPlacement(kPlotSeparate, 5, true,
                    {{0, 1122, -792}, {1, 1913, -792}, {2, 2706, -792}, {3, 3498, -792}, {4, 4290, -792}});
    ExpectPlacement(kPlotSeparate, 1, false, {{0, 4290, -3960}});
}

TEST(ReportTexts, LoopRateAndProfileNames) {
    EXPECT_EQ(LoopRateText(1, 0.002, 0.001, 0.0005), "0.002      sec (Low)");
    EXPECT_EQ(LoopRateText(2, 0.002, 0.001, 0.0005), "0.001      sec (Med)");
    EXPECT_EQ(LoopRateText(4, 0.002, 0.001, 0.0005), "0.0005     sec (High)");
    for (int rate : {0, 3, 5, -1}) EXPECT_EQ(LoopRateText(rate, 1, 2, 3), "Unknown") << rate;
    EXPECT_STREQ(ProfileName(1), "Trapezoidal");
    EXPECT_STREQ(ProfileName(2), "S-Curve");
    EXPECT_STREQ(ProfileName(4), "Parabolic");
    EXPECT_STREQ(ProfileName(3), "Unknown");
    EXPECT_STREQ(ProfileName(0x10001), "Trapezoidal");  // compared as a 16-bit value
}

TEST(ReportTexts, FinalPositionNeverReadsPastTheSamples) {
    SampleSequence actual;
    EXPECT_EQ(FinalPositionText(nullptr, 5), "");
    EXPECT_EQ(FinalPositionText(&actual, 5), "");
    for (int i = 0; i < 512; ++i) actual.Append(i * 0.5);
    EXPECT_EQ(FinalPositionText(&actual, 512), "255.5     ");  // element 511, the last
    EXPECT_EQ(FinalPositionText(&actual, 100), "49.5      ");  // element 99
    EXPECT_EQ(FinalPositionText(&actual, 1024), "255.5     ");  // Sampling 2: fewer samples than points
    EXPECT_EQ(FinalPositionText(&actual, 0), "255.5     ");
}

// The "Response" block: one line per move with the box's figures, six at
// most, a skew line for a gantry test, and a block that fits its room.
TEST(ReportTexts, ResponseLinesPerMove) {
    auto move = [](double size, double rise, double overshoot) {
        MoveMetrics m;
        m.move.size = size;
        m.riseTime = rise;
        m.overshoot = overshoot;
        m.settlingTime = 0.046;
        m.peakError = 19.6;
        m.rmsError = 5.214;
        return m;
    };
    MoveMetrics back = move(-1000, 0.0125, 0);
    back.notSettled = true;
    back.settlingTime.reset();
    back.rmsError.reset();
    std::vector<std::string> lines = ResponseLines({move(1000, 0.0125, 18.24), back}, nullptr);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Move 1 (+1000)  Rise 12.5 ms  Overshoot 18.2 %  Settling 46.0 ms  Peak error 19.6  RMS error 5.21");
    EXPECT_EQ(lines[1], "Move 2 (-1000)  Rise 12.5 ms  Overshoot 0 %  Settling not settled  Peak error 19.6  RMS error n/a");

    std::vector<MoveMetrics> many;
    for (int i = 0; i < 9; ++i) many.push_back(move(i % 2 ? -250 : 250, 0.001 * (i + 1), i));
    SkewMetrics skew;
    skew.peak = 1.234;
    lines = ResponseLines(many, &skew);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[5].rfind("Move 6 (-250)  Rise 6.00 ms", 0), 0u) << lines[5];
    EXPECT_EQ(lines[6], "and 3 more moves");
    EXPECT_EQ(lines[7], "Skew  Peak 1.23  RMS n/a");
    many.resize(7);
    EXPECT_EQ(ResponseLines(many, nullptr).back(), "and 1 more move");
    many.resize(6);
    EXPECT_EQ(ResponseLines(many, nullptr).back().rfind("Move 6", 0), 0u);

    // A stepper axis or no samples: no move, and the block says so.
    EXPECT_EQ(ResponseLines({}, nullptr), std::vector<std::string>{"Not available"});
    EXPECT_EQ(ResponseLines({}, &skew), (std::vector<std::string>{"Not available", "Skew  Peak 1.23  RMS n/a"}));
}

TEST(ReportTexts, ResponseBlockShrinksToItsRoom) {
    // Room for ten rows at the body step: heading and two lines keep it.
    ResponseBlockPlace p = PlaceResponseBlock(5800, 6550, 75, 2);
    EXPECT_EQ(p.headingY, 5800);
    EXPECT_EQ(p.firstLineY, 5875);
    EXPECT_EQ(p.step, 75);
    // Heading, six moves, "and N more moves" and skew: nine rows in 600.
    p = PlaceResponseBlock(5800, 6400, 75, 8);
    EXPECT_NEAR(p.step, 600.0 / 9, 1e-9);
    EXPECT_LE(p.firstLineY + 8 * p.step, 6400 + 1e-9);
    // No room at all (a tiny page): nothing is drawn rather than text piled up.
    EXPECT_EQ(PlaceResponseBlock(6400, 6300, 75, 2).step, 0);
}

}  // namespace
