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

}  // namespace
