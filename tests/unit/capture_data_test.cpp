// Capture data store: per-axis sequences and the bounds of ChannelFor.
#include <gtest/gtest.h>

#include "core/app_state.h"

namespace {

TEST(CaptureData, ChannelForUsesCurrentAxisForZeroAndRejectsOutsideAxes) {
    AppState s;
    s.Axis = 3;
    ChannelFor(s, Channel::Actual, 0)->Append(1.5);
    ASSERT_EQ(s.Capture.Actual[2].Length(), 1u);
    EXPECT_EQ(ChannelFor(s, Channel::Actual, 3)->At(0), 1.5);
    EXPECT_EQ(ChannelFor(s, Channel::Actual, 17), nullptr);
    EXPECT_EQ(ChannelFor(s, Channel::Torque, -1)->Length(), 0u);  // negative: current axis
    s.Axis = 99;  // an axis with no slot
    EXPECT_EQ(ChannelFor(s, Channel::Error, 0), nullptr);
}

TEST(CaptureData, ClearAxisEmptiesOnlyThatAxisAndReadsAreBounded) {
    AppState s;
    for (Channel c : {Channel::Actual, Channel::Auxiliary, Channel::Optimal, Channel::Error, Channel::Torque}) {
        s.Capture.Sequence(c, 1)->Append(1.0);
        s.Capture.Sequence(c, 2)->Append(2.0);
    }
    s.Capture.ClearAxis(1);
    s.Capture.ClearAxis(0);   // no slot: nothing happens
    s.Capture.ClearAxis(17);
    for (Channel c : {Channel::Actual, Channel::Auxiliary, Channel::Optimal, Channel::Error, Channel::Torque}) {
        EXPECT_TRUE(s.Capture.Sequence(c, 1)->Empty());
        EXPECT_EQ(s.Capture.Sequence(c, 2)->Length(), 1u);
        EXPECT_EQ(s.Capture.Sequence(c, 2)->At(5), 0.0);  // past the end reads 0
    }
}

}  // namespace
