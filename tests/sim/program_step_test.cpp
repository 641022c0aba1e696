// The program's own step test against the simulated bench: the block, the
// sleep and the point-by-point reads yield a complete, physical step response.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/app_state.h"
#include "app_fixture.h"
#include "controller/zq_library.h"
#include "core/capture_data.h"
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
