// Test setup pages: how entries become stored settings, and the Info texts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "setup/info_page.h"
#include "setup/motion_settings_page.h"
#include "setup/plot_settings_page.h"
#include "setup/property_page.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(MotionEntries, RecordTimeKeepsPositiveEntriesUpToTheLongestWait) {
    const struct { double ms, stored; } cases[] = {
        {250, 0.25}, {0, 0.5}, {-40, 0.5}, {kNaN, 0.5}, {0.001, 0.000001},
        {60000, 60.0}, {60001, 60.0}, {1e300, 60.0}, {kInf, 60.0}, {-kInf, 0.5},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(EnteredRecordTime(c.ms, 0.5), c.stored) << c.ms;
}

TEST(MotionEntries, ReportedLimitIsTheControllersOrTheLongestWait) {
    const struct { double controller, ms, reported; } cases[] = {
        {0.0, 250, 0.0}, {1.024, 2000, 1.024}, {1.024, 1e12, 1.024}, {0.0, 60000, 0.0},
        {0.0, 60000.5, 60.0}, {0.0, kInf, 60.0}, {-1.0, 250, -1.0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(RecordTimeToReport(c.controller, c.ms), c.reported) << c.ms;
}

TEST(MotionEntries, StoredValuesAreMagnitudesWithNegativeDelayAndCountIgnored) {
    struct Row {
        MotionEntries e;
        double distance, delay, dwell, rdwell;
        int count;
        BYTE repeat;
    };
    auto entries = [](double distance, double delayMs, double dwellMs, double rdwellMs, int count, BYTE repeat) {
        MotionEntries e;
        e.Distance = distance;
        e.DelayMs = delayMs;
        e.DwellMs = dwellMs;
        e.RDwellMs = rdwellMs;
        e.Count = count;
        e.Repeat = repeat;
        return e;
    };
    const Row rows[] = {
        {entries(-2000, -5, -5, 7.5, -3, 1), 2000, 0.02, 0.005, 0.0075, 3, 1},
        {entries(0, 0, 0, 0, 0, 1), 0, 0, 0, 0, 0, 0},                 // count 0 turns repeat off
        {entries(1, 60000, 1, 1, 4, 0), 1, 60, 0.001, 0.001, 4, 0},
        {entries(1, 60001, 1, 1, 4, 0), 1, 0.02, 0.001, 0.001, 4, 0},  // a delay no test could wait for
        {entries(1, 1, 1, 1, std::numeric_limits<int>::min(), 1), 1, 0.001, 0.001, 0.001, 9, 1},
    };
    for (const auto& r : rows) {
        AppState s;
        s.Test.Delay = 0.02;
        s.Test.Count = 9;
        StoreMotionEntries(r.e, s);
        EXPECT_DOUBLE_EQ(s.Test.Distance, r.distance);
        EXPECT_DOUBLE_EQ(s.Test.Delay, r.delay) << r.e.DelayMs;
        EXPECT_DOUBLE_EQ(s.Test.Dwell, r.dwell);
        EXPECT_DOUBLE_EQ(s.Test.RDwell, r.rdwell);
        EXPECT_EQ(s.Test.Count, r.count);
        EXPECT_EQ(s.Test.Repeat, r.repeat);
    }
}

TEST(MotionEntries, GantryPairFromTheComboSelections) {
    // Stored before: master 40, slave 0 (damaged). An empty combo box keeps its axis as stored.
    const struct { BYTE gantry; int master, slave; bool clash; int storedMaster, storedSlave; } cases[] = {
        {1, 1, 1, true, 2, 2}, {0, 1, 1, false, 2, 2}, {1, -1, -1, true, 40, 0},
        {1, -1, 0, false, 40, 1}, {1, 0, -1, false, 1, 0}, {1, 0, 3, false, 1, 4},
    };
    for (const auto& c : cases) {
        MotionEntries e;
        e.Gantry = c.gantry;
        e.MasterIndex = c.master;
        e.SlaveIndex = c.slave;
        e.Share = 1;
        EXPECT_EQ(GantryAxesClash(e), c.clash) << c.master << " " << c.slave;
        AppState s;
        s.GantryMaster = 40;
        s.GantrySlave = 0;
        StoreMotionEntries(e, s);
        EXPECT_EQ(s.Gantry, c.gantry);
        EXPECT_EQ(s.GantryMaster, c.storedMaster);
        EXPECT_EQ(s.GantrySlave, c.storedSlave);
        EXPECT_EQ(s.GantryShare, 1);
    }
    const struct { int axes, choices; } counts[] = {{4, 4}, {0, 0}, {-1, 0}, {16, 16}, {32, 16}};
    for (const auto& c : counts) EXPECT_EQ(GantryAxisChoices(c.axes), c.choices) << c.axes;
}

TEST(MotionEntries, KeptEditsLeaveTheirStoredValuesExactly) {
    AppState s;
    s.Test.Distance = 0.0004;
    s.Test.Delay = 0.00004;
    s.Test.Dwell = 0.00012;
    s.Test.RDwell = 0.00034;
    MotionEntries e;  // what the edits show, rounded
    e.KeepDistance = e.KeepDelay = e.KeepDwell = e.KeepRDwell = true;
    StoreMotionEntries(e, s);
    EXPECT_EQ(s.Test.Distance, 0.0004);
    EXPECT_EQ(s.Test.Delay, 0.00004);
    EXPECT_EQ(s.Test.Dwell, 0.00012);
    EXPECT_EQ(s.Test.RDwell, 0.00034);
}

TEST(EntryText, ShowsANumberOnlyAsTheEditWasFilledAndWhole) {
    const struct { const char* text; double value; int precision; bool shows; } cases[] = {
        {"0.000", 0.0004, 3, true},  {"0.0004", 0.0004, 3, false}, {"100.000", 100.0, 3, true},
        {"100", 100.0, 3, false},    {"0.0", 0.00004, 1, true},    {"500.000", 0.5 * 1000.0, 3, true},
        {"1000000000000.0", 1e12, 1, true},
        // Longer than the edit's 40 characters: what it holds was cut off.
        {"100000000000000000000000000000000000000", 1e300, 3, false},
        {"", 0.0, 3, false},
    };
    for (const auto& c : cases) EXPECT_EQ(TextShowsNumber(c.text, c.value, c.precision), c.shows) << c.text;
}

TEST(PlotChoices, SamplingOnlyFromAChosenIntervalAndScaleAlwaysFinite) {
    const struct { int interval; double scale; int sampling; double storedScale; } cases[] = {
        {4, -2.5, 4, -2.5}, {3, 0.0, 3, 0.0}, {0, 1.0, 7, 1.0}, {-1, kNaN, 7, 0.0}, {2, kInf, 2, 0.0},
    };
    for (const auto& c : cases) {
        AppState s;
        s.Test.Sampling = 7;
        PlotChoices p;
        p.Interval = c.interval;
        p.AuxiliaryScale = c.scale;
        p.Style = kPlotSeparate;
        p.Torque = 1;
        StorePlotChoices(p, s);
        EXPECT_EQ(s.Test.Sampling, c.sampling) << c.interval;
        EXPECT_DOUBLE_EQ(s.AuxiliaryScale, c.storedScale) << c.scale;
        EXPECT_EQ(s.PlotStyle, kPlotSeparate);
        EXPECT_EQ(s.PlotTorque, 1);
        EXPECT_EQ(s.PlotActual, 0);
    }
}

TEST(InfoTexts, CaptureModesAndAdvancedCaptureFromTheFlags) {
    const struct { int flags; const char* advanced; const char* modes; } cases[] = {
        {0, "No", "Position, Optimal, Error"},
        {0x80 | 0x200, "Yes", "Position, Optimal, Error, Torque, Auxiliary"},
        {0x380, "Yes", "Position, Optimal, Error, Torque, Auxiliary"},
        {0x100, "No", "Position, Optimal, Error"},
        {0x600, "No", "Position, Optimal, Error, Auxiliary, Status"},
        {0x780, "Yes", "Position, Optimal, Error, Torque, Auxiliary, Status"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(AdvancedCaptureText(c.flags), c.advanced) << c.flags;
        EXPECT_EQ(CaptureModesText(c.flags), c.modes) << c.flags;
    }
}

}  // namespace
