// Main window layout arithmetic and the plot pane count.
#include <gtest/gtest.h>

#include "app/layout.h"
#include "core/app_state.h"

namespace {

TEST(MainLayout, MultiTwoPanesGivesPaneZeroTwoSlots) {
    // Client 860 x 600, Multi, two panes in use.
    MainLayout l = ComputeMainLayout(2, kPlotMulti, 860, 600);
    EXPECT_EQ(l.panelHeight, 600);
    EXPECT_TRUE(l.panes[0].visible);
    EXPECT_EQ(l.panes[0].x, 220);
    EXPECT_EQ(l.panes[0].y, 0);
    EXPECT_EQ(l.panes[0].width, 640);
    EXPECT_EQ(l.panes[0].height, 398);
    EXPECT_TRUE(l.panes[1].visible);
    EXPECT_EQ(l.panes[1].y, 402);
    EXPECT_EQ(l.panes[1].height, 197);
    for (int i = 2; i < 5; ++i) EXPECT_FALSE(l.panes[i].visible) << i;
}

struct LayoutCase {
    int count, style, width, height;
    int visible;           // panes shown
    int y[5], h[5];        // of the shown panes
};

TEST(MainLayout, StylesAndSizes) {
    const LayoutCase cases[] = {
        // Single: one pane fills the whole height.
        {1, kPlotSingle, 700, 500, 1, {0}, {500}},
        // Separate with five panes: (H - 16) / 5 each, 4-pixel gaps.
        {5, kPlotSeparate, 900, 616, 5, {0, 124, 248, 372, 496}, {120, 120, 120, 120, 120}},
        // Separate with three panes.
        {3, kPlotSeparate, 860, 600, 3, {0, 201, 402}, {197, 197, 197}},
        // Multi with one pane: still two slots for pane 0.
        {1, kPlotMulti, 640, 480, 1, {0}, {480}},
        // Multi with three panes: four slots.
        {3, kPlotMulti, 1000, 700, 3, {0, 352, 528}, {348, 172, 172}},
    };
    for (const LayoutCase& c : cases) {
        MainLayout l = ComputeMainLayout(c.count, c.style, c.width, c.height);
        for (int i = 0; i < 5; ++i) {
            SCOPED_TRACE(::testing::Message() << "style " << c.style << " count " << c.count << " pane " << i);
            EXPECT_EQ(l.panes[i].visible, i < c.visible);
            if (i >= c.visible) continue;
            EXPECT_EQ(l.panes[i].x, 220);
            EXPECT_EQ(l.panes[i].width, c.width - 220);
            EXPECT_EQ(l.panes[i].y, c.y[i]);
            EXPECT_EQ(l.panes[i].height, c.h[i]);
        }
    }
}

TEST(MainLayout, Width700GivesPanes480Wide) {
    MainLayout l = ComputeMainLayout(1, kPlotSingle, 700, 400);
    EXPECT_EQ(l.panes[0].width, 480);
    EXPECT_EQ(l.panes[0].height, 400);
}

struct CountCase {
    int style;
    BYTE actual, optimal, error, torque, aux;
    int auxCapture;
    int expected;
};

TEST(PlotPaneCount, FollowsStyleAndChoices) {
    const CountCase cases[] = {
        {kPlotSingle, 1, 1, 1, 0, 0, 0, 1},
        {kPlotMulti, 1, 1, 1, 0, 0, 0, 2},
        {kPlotSeparate, 1, 1, 1, 0, 0, 0, 3},
        {kPlotMulti, 1, 1, 1, 1, 1, 1, 3},     // 5 - 2
        {kPlotSeparate, 0, 0, 0, 0, 0, 0, 1},  // nothing chosen
        {kPlotSeparate, 1, 1, 1, 1, 1, 1, 5},
        {kPlotSeparate, 1, 1, 1, 1, 1, 0, 4},  // auxiliary without capture adds nothing
        {kPlotMulti, 1, 1, 1, 1, 1, 0, 3},
        {kPlotMulti, 1, 0, 1, 0, 0, 0, 2},
    };
    for (const CountCase& c : cases) {
        AppState s;
        s.PlotStyle = c.style;
        s.PlotActual = c.actual;
        s.PlotOptimal = c.optimal;
        s.PlotError = c.error;
        s.PlotTorque = c.torque;
        s.PlotAuxiliary = c.aux;
        s.AuxCapture = c.auxCapture;
        s.PlotTarget = 1;  // never adds a pane
        EXPECT_EQ(s.PlotPaneCount(), c.expected) << "style " << c.style;
    }
}

}  // namespace
