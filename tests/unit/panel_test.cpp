// Gain panel and status readout arithmetic: the slider area, the next axis of
// the Axis button, the gantry partner and the decimals of the position readout.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "app/commands.h"
#include "core/connection.h"
#include "panel/gain_panel.h"

namespace {

TEST(SliderArea, SlidersAndFrameFollowThePanelHeight) {
    struct Case { unsigned height; int textHeight; int sliderHeight; int frameHeight; };
    const Case cases[] = {
        {600, 16, 328, 344},  // 600 - 272; 600 - 16/4 - 252
        {430, 13, 158, 175},  // 13 / 4 truncates to 3
        {272, 16, 0, 16},
        {260, 16, 0, 4},
        {0, 16, 0, 0},        // the first WM_SIZE of a panel created with size 0
        {65535, 0, 65263, 65283},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        SliderAreaLayout l = ComputeSliderArea(c.height, c.textHeight);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(l.sliders[i].x, 15 + 65 * i);
            EXPECT_EQ(l.sliders[i].y, 265);
            EXPECT_EQ(l.sliders[i].width, 60);
            EXPECT_EQ(l.sliders[i].height, c.sliderHeight);
        }
        EXPECT_EQ(l.frame.x, 10);
        EXPECT_EQ(l.frame.y, 252);
        EXPECT_EQ(l.frame.width, 200);
        EXPECT_EQ(l.frame.height, c.frameHeight);
    }
}

TEST(NextAxis, WrapsPastTheLastAxisAndNeverLeavesTheUsableRange) {
    struct Case { int axis, count, next; };
    const Case cases[] = {
        {1, 4, 2}, {3, 4, 4}, {4, 4, 1},
        {1, 1, 1},              // a one-axis controller stays on axis 1
        {16, 20, 1}, {15, 20, 16},  // at most 16 axes
        {7, 4, 1},              // an axis beyond the controller goes back to 1
        {1, 0, 1}, {1, -3, 1},  // a failed read gives no axes: axis 1
    };
    for (const Case& c : cases) EXPECT_EQ(NextAxis(c.axis, c.count), c.next) << c.axis << " of " << c.count;
}

TEST(GantryPartner, OtherAxisOfThePairOrNone) {
    struct Case { int gantry, master, slave, axis, partner; };
    const Case cases[] = {
        {1, 1, 2, 1, 2}, {1, 1, 2, 2, 1}, {1, 1, 2, 3, 0},
        {0, 1, 2, 1, 0}, {0, 1, 2, 2, 0},
        {1, 3, 4, 4, 3},
        {1, 1, 1, 1, 0},   // an axis is not its own partner
        {1, 1, 17, 1, 0},  // beyond the 16 axes the program holds
        {1, 1, 0, 1, 0}, {1, 1, -2, 1, 0},
    };
    for (const Case& c : cases) {
        AppState s;  // no controller open: no library call is made
        s.Gantry = static_cast<BYTE>(c.gantry);
        s.GantryMaster = c.master;
        s.GantrySlave = c.slave;
        s.Axis = c.axis;
        EXPECT_EQ(GantryPartner(s), c.partner) << c.gantry << " " << c.master << "/" << c.slave << " axis " << c.axis;
    }
}

std::string Readout(double scale, double position) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", PositionDecimals(scale), position);
    return text;
}

TEST(PositionReadout, DecimalsComeFromTheScale) {
    struct Case { double scale; const char* text; };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {1, "1"}, {2, "1.2"}, {100, "1.23"}, {103, "1.235"}, {1000, "1.235"}, {0.5, "1"},
        {-100, "1.23"},
        // A negative count and no finite logarithm count as an omitted precision: six decimals.
        {0.01, "1.234600"}, {0, "1.234600"}, {nan, "1.234600"}, {inf, "1.234600"},
    };
    for (const Case& c : cases) EXPECT_EQ(Readout(c.scale, 1.2346), c.text) << c.scale;
}

}  // namespace
