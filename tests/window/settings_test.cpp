// Settings that survive a restart: global values, placement and per-axis
// limits and test settings, written with their exact types and sizes, and
// damaged values that never reach the program.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "app_fixture.h"
#include "core/connection.h"
#include "core/settings.h"
#include "journal.h"
#include "resources/app_ids.h"
#include "resources/panel_ids.h"
#include "steptest/step_run.h"
#include "registry.h"
#include "responder.h"

namespace {

const std::string kKey = "Software\\Quelmont\\Draxwell\\Loopsmith";

std::string AxisKey(int controller, int axis) {
    return kKey + "\\Axis" + std::to_string(controller) + ":" + std::to_string(axis);
}

// Moves to another axis the way the panel's Axis button does.
void SwitchAxis(LoopsmithApp& app, int axis) {
    SaveAxisSettings(app.Main());
    SelectAxis(app.State(), axis);
    LoadAxisSettings(app.Main());
}

TEST(Settings, SavedValuesHaveTheirTypesAndSizes) {
    IsolatedRegistry registry;
    LoopsmithApp app;
    ASSERT_NE(app.Start(), nullptr);
    CloseAnswering(app);
    const struct { const char* name; DWORD type; size_t size; } global[] = {
        {"ControllerID", REG_DWORD, 4}, {"Axis", REG_DWORD, 4}, {"AutoInit", REG_DWORD, 4},
        {"AuxiliaryScale", REG_BINARY, 8}, {"PlotActual", REG_BINARY, 1}, {"PlotAuxiliary", REG_BINARY, 1},
        {"PlotOptimal", REG_BINARY, 1}, {"PlotError", REG_BINARY, 1}, {"PlotTorque", REG_BINARY, 1},
        {"PlotTarget", REG_BINARY, 1}, {"PlotStyle", REG_BINARY, 4}, {"Gantry", REG_BINARY, 1},
        {"GantryMaster", REG_BINARY, 4}, {"GantrySlave", REG_BINARY, 4}, {"GantryShare", REG_BINARY, 1},
        {"XPos", REG_DWORD, 4}, {"YPos", REG_DWORD, 4}, {"Width", REG_DWORD, 4}, {"Height", REG_DWORD, 4},
        {"Version", REG_SZ, 10},
    };
    for (const auto& v : global) {
        RegValue r = ReadRegValue(HKEY_CURRENT_USER, kKey, v.name);
        ASSERT_TRUE(r.exists) << v.name;
        EXPECT_EQ(r.type, v.type) << v.name;
        EXPECT_EQ(r.bytes.size(), v.size) << v.name;
    }
    EXPECT_EQ(std::memcmp(ReadRegValue(HKEY_CURRENT_USER, kKey, "Version").bytes.data(), "2.7.0.217", 10), 0);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "PlotStyle").AsInt(), 1221);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "Width").AsInt(), 640);

    const std::string axisKey = AxisKey(0, 1);
    for (const char* name : {"PropGainMax", "PropGainMin", "IntGainMax", "IntGainMin", "DerGainMax", "DerGainMin"}) {
        RegValue r = ReadRegValue(HKEY_CURRENT_USER, axisKey, name);
        EXPECT_EQ(r.type, static_cast<DWORD>(REG_BINARY)) << name;
        EXPECT_EQ(r.bytes.size(), 8u) << name;
    }
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, axisKey, "PropGainMax").AsDouble(), 100.0);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, axisKey, "Identity").bytes.size(), 4u);
    const RegValue style = ReadRegValue(HKEY_CURRENT_USER, axisKey, "AutoTuneStyle");
    EXPECT_EQ(style.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(style.bytes, std::vector<unsigned char>{1});  // Medium
    const struct { const char* name; DWORD type; size_t size; } test[] = {
        {"Distance", REG_BINARY, 8}, {"RecordTime", REG_BINARY, 8}, {"Delay", REG_BINARY, 8},
        {"Trajectory", REG_BINARY, 1}, {"Sampling", REG_DWORD, 4}, {"Cycle", REG_BINARY, 1},
        {"Dwell", REG_BINARY, 8}, {"Repeat", REG_BINARY, 1}, {"Count", REG_BINARY, 4}, {"RDwell", REG_BINARY, 8},
    };
    for (const auto& v : test) {
        RegValue r = ReadRegValue(HKEY_CURRENT_USER, axisKey + "\\Test Settings", v.name);
        ASSERT_TRUE(r.exists) << v.name;
        EXPECT_EQ(r.type, v.type) << v.name;
        EXPECT_EQ(r.bytes.size(), v.size) << v.name;
    }
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, axisKey + "\\Test Settings", "RecordTime").AsDouble(), 0.5);
}

TEST(Settings, ChangesOfOneRunAreWhatTheNextRunShows) {
    IsolatedRegistry registry;
    {
        LoopsmithApp app;
        HWND main = app.Start();
        ASSERT_NE(main, nullptr);
        AppState& s = app.State();
        SetWindowPos(main, nullptr, 40, 30, 900, 700, SWP_NOZORDER);
        s.PlotStyle = kPlotSeparate;
        s.PlotError = 0;
        s.PlotTarget = 0;
        s.AuxiliaryScale = 2.5;
        s.Gantry = 1;
        s.GantryMaster = 3;
        s.GantrySlave = 4;
        s.GantryShare = 0;
        s.PropGain.LowerLimit = 10;
        s.PropGain.UpperLimit = 90;
        s.Test.Distance = 50;
        SwitchAxis(app, 2);
        EXPECT_EQ(s.PropGain.UpperLimit, 100.0);  // a new axis starts with the full range
        EXPECT_EQ(s.Test.Distance, 50.0);         // and keeps the test settings it had
        s.IntGain.LowerLimit = 20;
        s.IntGain.UpperLimit = 80;
        s.Test.RecordTime = 0.25;
        CloseAnswering(app);
    }
    {
        LoopsmithApp app;
        ASSERT_NE(app.Start("-b 1 -a 2"), nullptr);
        AppState& s = app.State();
        EXPECT_EQ(s.ControllerID, 1);
        EXPECT_EQ(s.Axis, 2);
        s.DerGain.LowerLimit = 5;
        s.DerGain.UpperLimit = 95;
        s.Test.Count = 7;
        CloseAnswering(app);
    }
    {
        LoopsmithApp app;
        HWND main = app.Start("-b 0 -a 1");
        ASSERT_NE(main, nullptr);
        AppState& s = app.State();
        RECT rc;
        GetWindowRect(main, &rc);
        EXPECT_EQ(rc.left, 40);
        EXPECT_EQ(rc.top, 30);
        EXPECT_EQ(rc.right - rc.left, 900);
        EXPECT_EQ(rc.bottom - rc.top, 700);
        EXPECT_EQ(s.PlotStyle, kPlotSeparate);
        EXPECT_EQ(s.PlotError, 0);
        EXPECT_EQ(s.PlotTarget, 0);
        EXPECT_EQ(s.AuxiliaryScale, 2.5);
        EXPECT_EQ(s.Gantry, 1);
        EXPECT_EQ(s.GantryMaster, 3);
        EXPECT_EQ(s.GantrySlave, 4);
        EXPECT_EQ(s.GantryShare, 0);
        EXPECT_EQ(s.PropGain.LowerLimit, 10.0);
        EXPECT_EQ(s.PropGain.UpperLimit, 90.0);
        EXPECT_EQ(s.Test.Distance, 50.0);
        SwitchAxis(app, 2);
        EXPECT_EQ(s.IntGain.LowerLimit, 20.0);
        EXPECT_EQ(s.IntGain.UpperLimit, 80.0);
        EXPECT_EQ(s.PropGain.UpperLimit, 100.0);
        EXPECT_EQ(s.Test.RecordTime, 0.25);
        CloseAnswering(app);
    }
    {
        LoopsmithApp app;
        ASSERT_NE(app.Start("-b 1 -a 2"), nullptr);
        EXPECT_EQ(app.State().DerGain.LowerLimit, 5.0);
        EXPECT_EQ(app.State().DerGain.UpperLimit, 95.0);
        EXPECT_EQ(app.State().Test.Count, 7);
        CloseAnswering(app);
    }
}

void WriteBinaryValue(const std::string& key, const char* name, const void* data, DWORD size) {
    WriteRegValue(HKEY_CURRENT_USER, key, name, REG_BINARY, data, size);
}
void WriteDwordValue(const std::string& key, const char* name, DWORD value) {
    WriteRegValue(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, 4);
}

TEST(Settings, DamagedValuesNeverReachTheProgramAndSoundOnesAreWrittenBack) {
    IsolatedRegistry registry;
    const double nan = std::nan(""), minusOne = -1.0, fifty = 50.0;
    const int plotStyle = 5, master = 40, slave = 0;
    const char text[] = "1";
    const unsigned char eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const short shortId = 1;
    WriteDwordValue(kKey, "Axis", 99);
    WriteRegValue(HKEY_CURRENT_USER, kKey, "ControllerID", REG_BINARY, &shortId, 2);
    WriteBinaryValue(kKey, "AuxiliaryScale", &nan, 8);
    WriteRegValue(HKEY_CURRENT_USER, kKey, "PlotActual", REG_SZ, text, 2);
    WriteBinaryValue(kKey, "PlotError", eight, 8);
    WriteBinaryValue(kKey, "PlotStyle", &plotStyle, 4);
    WriteBinaryValue(kKey, "GantryMaster", &master, 4);
    WriteBinaryValue(kKey, "GantrySlave", &slave, 4);
    const unsigned char five = 5;
    WriteBinaryValue(kKey, "Gantry", &five, 1);
    WriteDwordValue(kKey, "Width", 100);
    WriteDwordValue(kKey, "Height", 100);
    const std::string axisKey = AxisKey(0, 1);
    WriteBinaryValue(axisKey, "PropGainMax", &fifty, 8);
    WriteBinaryValue(axisKey, "PropGainMin", &fifty, 8);
    WriteBinaryValue(axisKey, "IntGainMax", &nan, 8);
    WriteDwordValue(axisKey + "\\Test Settings", "Sampling", 0);
    WriteBinaryValue(axisKey + "\\Test Settings", "RecordTime", &minusOne, 8);
    WriteBinaryValue(axisKey + "\\Test Settings", "Delay", &nan, 8);
    WriteDwordValue(axisKey + "\\Test Settings", "Distance", 7);

    LoopsmithApp app;
    HWND main = app.Start();
    ASSERT_NE(main, nullptr);
    AppState& s = app.State();
    EXPECT_EQ(s.Axis, 1);
    EXPECT_EQ(s.ControllerID, 0);
    EXPECT_EQ(s.AuxiliaryScale, 1.0);
    EXPECT_EQ(s.PlotActual, 1);
    EXPECT_EQ(s.PlotError, 1);
    EXPECT_EQ(s.PlotStyle, kPlotMulti);
    // Damaged gantry axes are kept for the user to mend, and pair nothing.
    EXPECT_EQ(s.GantryMaster, 40);
    EXPECT_EQ(s.GantrySlave, 0);
    EXPECT_EQ(s.Gantry, 1);
    EXPECT_EQ(GantryPartner(s), 0);
    EXPECT_EQ(s.PropGain.LowerLimit, 0.0);
    EXPECT_EQ(s.PropGain.UpperLimit, 100.0);
    EXPECT_EQ(s.IntGain.UpperLimit, 100.0);
    EXPECT_EQ(s.Test.Sampling, 1);
    EXPECT_EQ(s.Test.RecordTime, 0.5);
    EXPECT_EQ(s.Test.Delay, 0.0);
    EXPECT_EQ(s.Test.Distance, 100.0);
    RECT rc;
    GetWindowRect(main, &rc);
    EXPECT_GE(rc.right - rc.left, 640);  // never smaller than the minimum size
    CloseAnswering(app);

    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "Axis").AsInt(), 1);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "PlotStyle").AsInt(), 1221);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "GantryMaster").AsInt(), 40);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "AuxiliaryScale").AsDouble(), 1.0);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, axisKey, "PropGainMin").AsDouble(), 0.0);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, axisKey + "\\Test Settings", "Sampling").AsInt(), 1);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, axisKey + "\\Test Settings", "RecordTime").AsDouble(), 0.5);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, axisKey + "\\Test Settings", "Distance").bytes.size(), 8u);
}

// The bench's axis 1 captures with an adjustable period, so nothing would
// shorten a stored record time: a time beyond the Test Setup sheet's limits
// would block Step Plus for as long as it says. A damaged master axis must not
// make axes 1 and 2 a pair.
TEST(Settings, DamagedGantryMasterPairsNothingAndTimesBeyondTheLimitsAreRefused) {
    IsolatedRegistry registry;
    const unsigned char on = 1;
    const int master = 40;
    const double huge = 1e9;
    WriteBinaryValue(kKey, "Gantry", &on, 1);
    WriteBinaryValue(kKey, "GantryMaster", &master, 4);
    const std::string testKey = AxisKey(0, 1) + "\\Test Settings";
    WriteBinaryValue(testKey, "Delay", &huge, 8);
    WriteBinaryValue(testKey, "RecordTime", &huge, 8);

    Journal journal("damagedgantry");
    LoopsmithApp app;
    ASSERT_NE(app.Start(), nullptr);
    AppState& s = app.State();
    EXPECT_EQ(s.GantryMaster, 40);
    EXPECT_EQ(s.GantrySlave, 2);
    EXPECT_EQ(GantryPartner(s), 0);
    EXPECT_EQ(s.Test.Delay, 0.0);
    EXPECT_EQ(s.Test.RecordTime, 0.5);
    SendMessageA(app.Main(), WM_TIMER, LOOPSMITH_TIMER_ID, 0);
    char text[32] = {};
    GetDlgItemTextA(app.Panel(), IDC_AXIS_READOUT, text, sizeof text);
    EXPECT_STREQ(text, "1");

    journal.Mark();
    RunStepTest(app.Main(), 1);
    EXPECT_EQ(s.TestDone, 1);
    // No call of the test names axis 2.
    const std::string onAxis2 = "(" + std::to_string(s.ControllerHandle) + ", 2,";
    for (const std::string& line : journal.Since()) EXPECT_EQ(line.find(onAxis2), std::string::npos) << line;
    CloseAnswering(app);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "GantryMaster").AsInt(), 40);
}

TEST(Settings, AxisKeyOfOtherHardwareIsIgnoredAndIdentityZeroAccepted) {
    IsolatedRegistry registry;
    const double ten = 10.0;
    const std::string axisKey = AxisKey(0, 1);
    WriteBinaryValue(axisKey, "PropGainMin", &ten, 8);
    const int foreign = 0x7F01;
    WriteBinaryValue(axisKey, "Identity", &foreign, 4);
    {
        LoopsmithApp app;
        ASSERT_NE(app.Start(), nullptr);
        EXPECT_EQ(app.State().PropGain.LowerLimit, 0.0);
        CloseAnswering(app);
    }
    const int any = 0;
    WriteBinaryValue(axisKey, "Identity", &any, 4);
    WriteBinaryValue(axisKey, "PropGainMin", &ten, 8);
    {
        LoopsmithApp app;
        ASSERT_NE(app.Start(), nullptr);
        EXPECT_EQ(app.State().PropGain.LowerLimit, 10.0);
        CloseAnswering(app);
    }
    // What the program wrote back is its own hardware's identity.
    EXPECT_NE(ReadRegValue(HKEY_CURRENT_USER, axisKey, "Identity").AsInt(), 0x7F01);
}

TEST(Settings, ClosingWhileMinimizedKeepsTheStoredPlacement) {
    IsolatedRegistry registry;
    WriteDwordValue(kKey, "XPos", 70);
    WriteDwordValue(kKey, "YPos", 80);
    WriteDwordValue(kKey, "Width", 700);
    WriteDwordValue(kKey, "Height", 500);
    LoopsmithApp app;
    HWND main = app.Start();
    ASSERT_NE(main, nullptr);
    ShowWindow(main, SW_MINIMIZE);
    CloseAnswering(app);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "XPos").AsInt(), 70);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "YPos").AsInt(), 80);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "Width").AsInt(), 700);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "Height").AsInt(), 500);
}

TEST(Settings, PlacementOffEveryScreenComesBackToTheCorner) {
    IsolatedRegistry registry;
    WriteDwordValue(kKey, "XPos", 50000);
    WriteDwordValue(kKey, "YPos", 40000);
    LoopsmithApp app;
    HWND main = app.Start();
    RECT rc;
    GetWindowRect(main, &rc);
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
}

}  // namespace
