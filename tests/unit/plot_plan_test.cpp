// Plot display decisions: which series goes to which pane for each style, the
// y scale table walk and the 16-bit data count.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>

#include "libs/plotwin/plotwin.h"
#include "plot/plot_display.h"

namespace {

char Letter(int series) {
    switch (series) {
    case kSeriesActual: return 'A';
    case kSeriesOptimal: return 'O';
    case kSeriesError: return 'E';
    case kSeriesTorque: return 'Q';
    case kSeriesAuxiliary: return 'X';
    default: return '?';
    }
}

// "0:ATO/p 1:E/s": per pane the series drawn (T the target line) in order,
// then /p or /s for a plain or symmetric y scale.
std::string Assignment(const std::vector<PaneOp>& ops) {
    std::map<int, std::string> series, scale;
    for (const PaneOp& op : ops) {
        if (op.kind == PaneOpKind::SetData) series[op.pane] += Letter(op.series);
        if (op.kind == PaneOpKind::SetTarget) series[op.pane] += 'T';
        if (op.kind == PaneOpKind::ScalePlain) scale[op.pane] += "/p";
        if (op.kind == PaneOpKind::ScaleSymmetric) scale[op.pane] += "/s";
        if (op.kind == PaneOpKind::AddTargetRange || op.kind == PaneOpKind::EmptyRange) series[op.pane];
    }
    for (auto& [pane, s] : scale) series[pane];
    std::string out;
    for (auto& [pane, s] : series) {
        if (!out.empty()) out += ' ';
        out += std::to_string(pane) + ":" + s + scale[pane];
    }
    return out;
}

// choices: letters of the chosen curves (A O E Q X, T target); data: the channels holding samples.
PlotInputs Inputs(int style, const std::string& choices, bool trajectory, const std::string& data = "AOEQX",
                  bool auxCapture = true) {
    auto has = [](const std::string& s, char c) { return s.find(c) != std::string::npos; };
    PlotInputs in;
    in.style = style;
    in.plotActual = has(choices, 'A');
    in.plotOptimal = has(choices, 'O');
    in.plotError = has(choices, 'E');
    in.plotTorque = has(choices, 'Q');
    in.plotAuxiliary = has(choices, 'X');
    in.plotTarget = has(choices, 'T');
    in.auxCapture = auxCapture;
    in.trajectory = trajectory;
    in.hasActual = has(data, 'A');
    in.hasOptimal = has(data, 'O');
    in.hasError = has(data, 'E');
    in.hasTorque = has(data, 'Q');
    in.hasAuxiliary = has(data, 'X');
    return in;
}

TEST(PlotPlan, PaneAssignmentOfEveryStyle) {
    const struct { const char* name; PlotInputs in; const char* panes; } cases[] = {
        {"multi default", Inputs(kPlotMulti, "AOET", true), "0:ATO/p 1:E/s"},
        {"multi with torque", Inputs(kPlotMulti, "AOEQT", true), "0:ATO/p 1:E/s 2:Q/s"},
        {"multi with auxiliary", Inputs(kPlotMulti, "AOEXT", true), "0:ATOX/p 1:E/s"},
        {"multi trajectory off", Inputs(kPlotMulti, "AOEQT", false), "0:AT/p 1:/s 2:Q/s"},
        {"multi torque chosen, none captured", Inputs(kPlotMulti, "AOEQT", true, "AOE"), "0:ATO/p 1:E/s 2:/s"},
        {"multi optimal without actual", Inputs(kPlotMulti, "OET", true), "0:O/p 1:E/s"},
        {"multi nothing chosen", Inputs(kPlotMulti, "", true), "0:/p"},
        {"single everything", Inputs(kPlotSingle, "AOEQXT", true), "0:ATOXEQ/p"},
        {"single trajectory off", Inputs(kPlotSingle, "AOEQT", false), "0:ATQ/p"},
        {"separate everything", Inputs(kPlotSeparate, "AOEQXT", true), "0:AT/p 1:OT/p 2:XT/p 3:E/s 4:Q/s"},
        {"separate no target", Inputs(kPlotSeparate, "AOEQX", true), "0:A/p 1:O/p 2:X/p 3:E/s 4:Q/s"},
        {"separate trajectory off", Inputs(kPlotSeparate, "AOEQXT", false), "0:AT/p 1:/p 2:XT/p 3:/s 4:Q/s"},
        {"separate without aux capture", Inputs(kPlotSeparate, "AOEXT", true, "AOE", false), "0:AT/p 1:OT/p 2:E/s"},
        {"separate no data yet", Inputs(kPlotSeparate, "AOET", true, ""), "0:/p 1:/p 2:/s"},
    };
    for (const auto& c : cases) EXPECT_EQ(Assignment(PlanPlots(c.in)), c.panes) << c.name;
}

// The range pass of the default Multi layout, op by op: pane 0 opens with
// the target, gathers both position curves and is scaled before the error pane.
TEST(PlotPlan, RangePassOfMultiStyle) {
    std::vector<PaneOp> ops = PlanPlots(Inputs(kPlotMulti, "AOET", true));
    const PaneOp expected[] = {
        {0, PaneOpKind::EmptyRange, -1},      {0, PaneOpKind::AddTargetRange, -1},
        {0, PaneOpKind::AddRange, 0},         {0, PaneOpKind::LabelDistance, -1},
        {0, PaneOpKind::AddRange, 1},         {0, PaneOpKind::LabelDistance, -1},
        {0, PaneOpKind::ScalePlain, -1},      {1, PaneOpKind::EmptyRange, -1},
        {1, PaneOpKind::AddRange, 2},         {1, PaneOpKind::LabelDistance, -1},
        {1, PaneOpKind::ScaleSymmetric, -1},  {0, PaneOpKind::SetData, 0},
        {0, PaneOpKind::SetTarget, -1},       {0, PaneOpKind::SetData, 1},
        {1, PaneOpKind::SetData, 2},
    };
    ASSERT_EQ(ops.size(), std::size(expected));
    for (size_t i = 0; i < ops.size(); ++i) {
        EXPECT_EQ(ops[i].pane, expected[i].pane) << i;
        EXPECT_EQ(ops[i].kind, expected[i].kind) << i;
        EXPECT_EQ(ops[i].series, expected[i].series) << i;
    }
}

TEST(PlotPlan, ScaleTableWalk) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double lo, hi;
        bool symmetric;
        bool hasMin;
        double min;
        bool hasMax;
        double max;
    } cases[] = {
        {-3.2, 104, false, true, -5, true, 200},
        {-3.2, 104, true, true, -200, true, 200},
        {-0.3, 0.45, true, true, -0.5, true, 0.5},
        {7, 9, false, true, 5, true, 10},        // a positive low end rounds down
        {5, 5, false, true, 2, true, 5},
        {0.3, 0.4, false, true, 0, true, 0.5},
        {-10, -3, false, true, -10, true, -5},   // both ends take the sign of the data
        {0, 0, false, true, 0, true, 0},
        {-500000, 500000, false, true, -500000, true, 500000},
        {600000, 700000, false, false, 0, false, 0},  // beyond the table: nothing sent
        {-700000, 3, false, false, 0, true, 5},
        {-1e6, 50, true, true, -50, true, 50},        // an unset end counts as 1
        {-1e6, 1e6, true, true, -1, true, 1},
        {nan, nan, false, false, 0, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lo << " .. " << c.hi << (c.symmetric ? " symmetric" : " plain"));
        YScale y = ScaleY(c.lo, c.hi, c.symmetric);
        EXPECT_EQ(y.hasMin, c.hasMin);
        EXPECT_EQ(y.hasMax, c.hasMax);
        if (c.hasMin) {
            EXPECT_EQ(y.min, c.min);
        }
        if (c.hasMax) {
            EXPECT_EQ(y.max, c.max);
        }
    }
}

TEST(PlotPlan, DecimatesOnlyAbove65535Values) {
    std::vector<double> v(200000);
    for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<double>(i);
    const struct { size_t count, sent, stride; } cases[] = {
        {65535, 65535, 1}, {65536, 32768, 2}, {131071, 43691, 3}, {200000, 50000, 4}};
    for (const auto& c : cases) {
        std::vector<double> out = Decimate(v.data(), c.count);
        ASSERT_EQ(out.size(), c.sent) << c.count;
        EXPECT_EQ(out[1], static_cast<double>(c.stride));
        EXPECT_LE(out.back(), static_cast<double>(c.count - 1));
        EXPECT_GT(out.back() + static_cast<double>(c.stride), static_cast<double>(c.count - 1));
    }
    EXPECT_TRUE(Decimate(nullptr, 10).empty());
}

}  // namespace
