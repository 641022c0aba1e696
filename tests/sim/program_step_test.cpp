// The program's own step test against the simulated bench: the block, the
// sleep and the point-by-point reads yield a complete, physical step response.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/app_state.h"
#include "app_fixture.h"
#include "controller/zq_library.h"
#include "core/capture_data.h"
#include "panel/gain_slider.h"
#include "panel_ids.h"
#include "plot/plot_display.h"
#include "responder.h"
#include "screenshot.h"
#include "steptest/step_run.h"

namespace {

class ProgramStep : public ::testing::Test {
protected:
    IsolatedRegistry registry;
    LoopsmithApp app;
};

double Max(const SampleSequence& s) { return *std::max_element(s.Data(), s.Data() + s.Length()); }

}  // namespace

TEST_F(ProgramStep, StepPlusAndMinusOnEveryBenchServoRiseToTheDistance) {
    HWND main = app.Start();
    ASSERT_NE(main, nullptr);
    AppState& s = app.State();
    struct Case { int axis; int plus; BYTE trajectory; } cases[] = {{1, 1, 0}, {1, 0, 1}, {3, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.axis * 100 + c.plus * 10 + c.trajectory);
        s.Axis = c.axis;
        s.AuxCapture = 1;
        s.TorqueCapture = 1;
        s.AdvancedCapture = 256;
        s.Test.Distance = 100;
        s.Test.Trajectory = c.trajectory;
        ASSERT_EQ(ZqEnableAxis(s.ControllerHandle, static_cast<unsigned short>(c.axis), 1), 0);
        Sleep(100);
        RunStepTest(main, c.plus);
        const SampleSequence* actual = ChannelFor(s, Channel::Actual, c.axis);
        const SampleSequence* optimal = ChannelFor(s, Channel::Optimal, c.axis);
        const SampleSequence* torque = ChannelFor(s, Channel::Torque, c.axis);
        ASSERT_EQ(actual->Length(), 1001u);
        EXPECT_EQ(actual->At(0), 0);
        EXPECT_EQ(optimal->At(1000), 100);
        EXPECT_NEAR(actual->At(1000), 100, 1);
        EXPECT_GT(Max(*actual), 103);  // visible overshoot
        EXPECT_LT(Max(*actual), 130);
        EXPECT_GT(Max(*torque), 0.5);
    }
}

TEST_F(ProgramStep, GantryPairWithCycleAndRepeatMovesBothAxesTogether) {
    HWND main = app.Start();
    ASSERT_NE(main, nullptr);
    AppState& s = app.State();
    s.Axis = 2;  // the slave's own step drives the master as its partner
    s.Gantry = 1;
    s.GantryMaster = 1;
    s.GantrySlave = 2;
    s.AuxCapture = 1;
    s.TorqueCapture = 1;
    s.AdvancedCapture = 256;
    s.Test.Distance = 20;
    s.Test.Trajectory = 1;
    s.Test.Cycle = 1;
    s.Test.Dwell = 0.1;
    s.Test.Repeat = 1;
    s.Test.RDwell = 0.05;
    s.Test.Count = 2;
    for (unsigned short a : {1, 2}) ASSERT_EQ(ZqEnableAxis(s.ControllerHandle, a, 1), 0);
    Sleep(100);
    RunStepTest(main, 1);
    for (int axis : {2, 1}) {
        SCOPED_TRACE(axis);
        const SampleSequence* optimal = ChannelFor(s, Channel::Optimal, axis);
        const SampleSequence* actual = ChannelFor(s, Channel::Actual, axis);
        ASSERT_EQ(optimal->Length(), 1001u);
        // Out, back, out again, back again: two passes of the cycle.
        int departures = 0;
        for (size_t j = 1; j < optimal->Length(); ++j)
            if (optimal->At(j) == 0 && optimal->At(j + 1) > 0) ++departures;
        EXPECT_EQ(departures, 1);  // the second departure from 0 after the first return
        EXPECT_NEAR(Max(*actual), 20, 6);
        EXPECT_NEAR(actual->At(1000), 0, 1);
    }
}

namespace {

// Peak-to-peak following error in the last 40 % of a capture.
double LateErrorSwing(const SampleSequence& error) {
    size_t from = error.Length() * 6 / 10;
    auto [lo, hi] = std::minmax_element(error.Data() + from, error.Data() + error.Length());
    return *hi - *lo;
}

}  // namespace

// Steps on the bench's resonant axes in the program, at their power-on gains and
// with a gain pushed past the resonance's limit, as screenshots to look at.
TEST_F(ProgramStep, ScreenshotsOfStepsOnTheResonantAxes) {
    HWND main = app.Start("-b 2");
    ASSERT_NE(main, nullptr);
    AppState& s = app.State();
    ASSERT_EQ(s.ControllerID, 2);
    SetWindowPos(main, nullptr, 0, 0, 900, 760, SWP_NOMOVE | SWP_NOZORDER);
    s.PlotStyle = kPlotSeparate;
    s.PlotAuxiliary = 1;
    s.PlotTorque = 1;
    s.AuxCapture = 1;
    s.TorqueCapture = 1;
    s.AdvancedCapture = 256;
    s.Test.Distance = 100;
    s.Test.RecordTime = 0.5;
    struct Shot { int axis; double p_factor, d_factor; const char* name; } shots[] = {
        {1, 1, 1, "resonant_belt_power_on"},
        {1, 8, 1, "resonant_belt_p_x8"},
        {2, 1, 1, "resonant_screw_power_on"},
        {2, 1, 3, "resonant_screw_d_x3"},
    };
    double calm_swing = 0;
    for (const auto& shot : shots) {
        SCOPED_TRACE(shot.name);
        const unsigned short axis = static_cast<unsigned short>(shot.axis);
        s.Axis = axis;
        ASSERT_EQ(ZqReset(s.ControllerHandle, 0), 0);
        double kp = 0;
        FilterConfig filter{};
        ASSERT_EQ(ZqGetGain(s.ControllerHandle, axis, &kp), 0);
        ASSERT_EQ(ZqGetFilterConfig(s.ControllerHandle, axis, &filter), 0);
        filter.DerivativeGain *= shot.d_factor;
        ASSERT_EQ(ZqSetFilterConfig(s.ControllerHandle, axis, &filter), 0);
        ASSERT_EQ(ZqSetGain(s.ControllerHandle, axis, kp * shot.p_factor), 0);
        RefreshSliders(s);
        // The engineer's buttons: trajectory generator and motor on, then Step Plus.
        app.Command(IDC_TRAJ_ON);
        // The panel's own On button (its id 205 is also the main window's Auto Tune command).
        SendMessageA(GetDlgItem(app.Panel(), IDC_MOTOR_ON), BM_CLICK, 0, 0);
        PumpMessages(400);  // the status timer lights the motor lamp
        s.TestDone = 0;
        app.Command(IDC_STEP_PLUS);
        PumpMessages(50);
        ASSERT_EQ(s.TestDone, 1);
        const SampleSequence* error = ChannelFor(s, Channel::Error, axis);
        ASSERT_EQ(error->Length(), 1001u);
        // Pushed past the resonance's limit, the axis is still swinging late in the record.
        if (shot.p_factor == 1 && shot.d_factor == 1) {
            calm_swing = LateErrorSwing(*error);
        } else {
            EXPECT_GT(LateErrorSwing(*error), 2 * calm_swing + 0.5);
        }
        RECT rc;
        GetClientRect(main, &rc);
        SendMessageA(main, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
        UpdatePlots(main);
        PumpMessages(50);
        EXPECT_FALSE(SaveWindowScreenshot(main, shot.name).empty());
    }
}
