// Controller connection: the open loop at start-up, axis selection and what it
// reads, the gantry pair, the gain full scale, Select Controller, and a program
// running with no controller open.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app_fixture.h"
#include "controller/zq_library.h"
#include "core/app_state.h"
#include "core/connection.h"
#include "journal.h"
#include "journal_handle.h"
#include "registry.h"
#include "resources/app_ids.h"
#include "resources/panel_ids.h"
#include "responder.h"
#include "sim_config_file.h"

namespace {

const char kGlobalKey[] = "Software\\Quelmont\\Draxwell\\Loopsmith";

// Functions of the controller libraries that take an axis number, and where it stands.
struct AxisArgument { const char* name; int index; };
const AxisArgument kAxisArguments[] = {
    {"ZqGetAxisConfiguration", 1}, {"ZqGetStatus", 1}, {"ZqGetPositionEx", 1}, {"ZqSetPosition", 1},
    {"ZqGetScale", 1}, {"ZqSetScale", 1}, {"ZqGetMotionConfig", 1}, {"ZqSetMotionConfig", 1},
    {"ZqGetFilterConfig", 1}, {"ZqSetFilterConfig", 1}, {"ZqGetGain", 1}, {"ZqSetGain", 1},
    {"ZqGetProfile", 1}, {"ZqSetProfile", 1}, {"ZqGetServoOutputPhase", 1}, {"ZqSetServoOutputPhase", 1},
    {"ZqGetModuleOutputMode", 1}, {"ZqSetModuleOutputMode", 1}, {"ZqSetOperatingMode", 1}, {"ZqEnableAxis", 1},
    {"ZqCaptureData", 1}, {"ZqGetAuxEncPosEx", 1}, {"ZqGetOptimalEx", 1}, {"ZqGetTargetEx", 1},
    {"ZqGetTorque", 1}, {"ZqMoveRelative", 1}, {"ZqWaitForStop", 1}, {"qlxcmdex", 1}, {"ZqGetCaptureData", 1},
    {"ZqEnableGearing", 1}, {"ZqEnableGearing", 2}, {"ZQDLG_ConfigureAxis", 2}, {"ZQDLG_Scaling", 2},
};

std::vector<std::string> Arguments(const std::string& line) {
    std::vector<std::string> args;
    size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close <= open + 1) return args;
    std::string inner = line.substr(open + 1, close - open - 1);
    for (size_t start = 0;;) {
        size_t comma = inner.find(", ", start);
        args.push_back(inner.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 2;
    }
    return args;
}

// Journal lines that pass an axis outside 1 to axisCount (every axis line when axisCount is 0).
std::vector<std::string> AxisCallsOutside(const std::vector<std::string>& lines, int axisCount) {
    std::vector<std::string> bad;
    for (const std::string& line : lines) {
        for (const AxisArgument& a : kAxisArguments) {
            if (line.compare(0, std::strlen(a.name) + 1, std::string(a.name) + "(") != 0) continue;
            std::vector<std::string> args = Arguments(line);
            int axis = a.index < static_cast<int>(args.size()) ? std::atoi(args[a.index].c_str()) : 0;
            if (axis < 1 || axis > axisCount) bad.push_back(line);
            break;
        }
    }
    return bad;
}

std::string OpenErrorText(int id, int code) {
    char reason[129] = {};
    ZqTranslateErrorEx(code, reason, 128);
    return "Unable to open controller for the following reason:\n\nID " + std::to_string(id) + "  -  " + reason +
           "\n";
}

class ConnectionTest : public ::testing::Test {
protected:
    AppState& S() const { return app.State(); }
    IsolatedRegistry registry;
    LoopsmithApp app;
};

TEST_F(ConnectionTest, OpenFailureNamesTheIdThenOffersTheSelection) {
    Journal journal("openfail");
    Responder responder;  // the selection dialog is cancelled
    HWND main = app.Start("-b 5");
    ASSERT_NE(main, nullptr);
    EXPECT_LT(S().ControllerHandle, 0);
    EXPECT_EQ(S().ControllerID, -1);
    ASSERT_GE(responder.Records().size(), 1u);
    const DialogRecord& r = responder.Records()[0];
    EXPECT_EQ(r.text, OpenErrorText(5, S().ControllerHandle));
    EXPECT_EQ(r.caption, "Loopsmith");
    EXPECT_EQ(r.style, static_cast<UINT>(MB_ICONWARNING | MB_OK));
    EXPECT_EQ(r.owner, main);
    for (size_t i = 1; i < responder.Records().size(); ++i) EXPECT_FALSE(responder.Records()[i].messageBox);
    EXPECT_EQ(Journal::Filter(journal.Lines(), {"ZqOpen", "ZqClose", "ZQDLG_SelectController", "ZqErrorNotify"}),
              (std::vector<std::string>{"ZqOpen(5, 2, \"\")", "ZQDLG_SelectController(hwnd, -1, 0, 0)"}));
}

// With no controller open, every command and button: no crash, only the
// messages the commands themselves give, and no controller call for any axis.
TEST_F(ConnectionTest, EveryCommandWithoutAControllerIsHarmless) {
    Journal journal("nocontroller");
    Responder responder;  // every dialog is cancelled or acknowledged
    ASSERT_NE(app.Start("-b 5 -a 3"), nullptr);
    ASSERT_LE(S().ControllerHandle, 0);
    HWND panel = app.Panel();
    for (int id : {100, 101, 102, 103, 104, 104, 105, 106, 107, 108, 200, 201, 202, 203, 204, 210, 211, 212, 213, 301})
        app.Command(id);
    for (int id : {201, 205, 206, 208, 209, 210, 211, 212, 213})
        SendMessageA(panel, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    for (int i = 0; i < 3; ++i) SendMessageA(app.Main(), WM_TIMER, LOOPSMITH_TIMER_ID, 0);
    PumpMessages(300);
    EXPECT_TRUE(app.Alive());
    char text[32] = {};
    GetDlgItemTextA(panel, IDC_AXIS_READOUT, text, sizeof text);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(IsDlgButtonChecked(panel, IDC_MOTOR_LED), 0u);
    for (int id : {IDC_MOTOR_OFF, IDC_STEP_PLUS, IDC_STEP_MINUS}) EXPECT_FALSE(IsWindowEnabled(GetDlgItem(panel, id)));
    app.Command(IDM_EXIT);
    PumpMessages(100);
    EXPECT_FALSE(app.Alive());

    const std::vector<std::string> allowed = {OpenErrorText(5, -2), "Cannot print - No tests have been performed"};
    for (const DialogRecord& r : responder.Records()) {
        if (!r.messageBox) continue;
        bool known = r.text == "Cannot print - No tests have been performed" ||
                     r.text.rfind("Unable to open controller for the following reason:\n\nID ", 0) == 0;
        EXPECT_TRUE(known) << r.text;
    }
    EXPECT_EQ(AxisCallsOutside(journal.Lines(), 0), std::vector<std::string>{});
}

// Each case starts its own program on its own registry.
TEST(Connection, AnAxisBeyondTheControllerOpensAxisOne) {
    struct Case { const char* commandLine; int savedAxis; int axis; };
    const Case cases[] = {
        {"-a 5", 0, 1}, {"-a 17", 0, 1}, {"-a 40000", 0, 1}, {"-a 4", 0, 4}, {"-a 2", 0, 2},
        {"", 5, 1}, {"", 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.commandLine) + " saved " + std::to_string(c.savedAxis));
        IsolatedRegistry own;
        if (c.savedAxis) {
            DWORD axis = static_cast<DWORD>(c.savedAxis);
            WriteRegValue(HKEY_CURRENT_USER, kGlobalKey, "Axis", REG_DWORD, &axis, 4);
        }
        Journal journal("axisrange");
        LoopsmithApp one;
        ASSERT_NE(one.Start(c.commandLine), nullptr);
        EXPECT_EQ(one.State().Axis, c.axis);
        // The panel's own On button (its id 205 is also the main window's Auto Tune command).
        SendMessageA(GetDlgItem(one.Panel(), IDC_MOTOR_ON), BM_CLICK, 0, 0);
        SendMessageA(one.Main(), WM_TIMER, LOOPSMITH_TIMER_ID, 0);
        one.Close();
        EXPECT_EQ(AxisCallsOutside(journal.Lines(), 4), std::vector<std::string>{});
    }
}

// Each case starts its own program on its own registry.
TEST(Connection, GainFullScaleFollowsTheController) {
    struct Case { const char* commandLine; double fullScale; };
    const Case cases[] = {{"-b 0", 20.0}, {"-b 1", 32767.0}};  // floating point, fixed point
    for (const Case& c : cases) {
        IsolatedRegistry own;
        LoopsmithApp one;
        ASSERT_NE(one.Start(c.commandLine), nullptr);
        for (const GainChannel* g : {&one.State().PropGain, &one.State().IntGain, &one.State().DerGain})
            EXPECT_EQ(g->FullScale, c.fullScale) << c.commandLine;
    }
}

TEST_F(ConnectionTest, AutoInitializeRestoresRightAfterTheOpen) {
    DWORD on = 1;
    WriteRegValue(HKEY_CURRENT_USER, kGlobalKey, "AutoInit", REG_DWORD, &on, 4);
    Journal journal("autoinitopen");
    ASSERT_NE(app.Start(), nullptr);
    std::vector<std::string> lines = journal.Lines();
    // What the dialogs library reads inside RestoreAxis is indented; the program's own calls follow it.
    lines.erase(std::remove_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind(' ', 0) == 0; }),
                lines.end());
    auto open = std::find(lines.begin(), lines.end(), "ZqOpen(0, 2, \"\")");
    ASSERT_NE(open, lines.end());
    ASSERT_GE(lines.end() - open, 4);
    EXPECT_EQ(std::vector<std::string>(open + 1, open + 4),
              WithHandle({"ZqGetConfigurationEx(H, &)", "ZQDLG_RestoreAxis(H, 0, 1, 0)",
                          "ZqGetAxisConfiguration(H, 1, &)"}, S().ControllerHandle));
    std::vector<std::string> notify = Journal::Filter(lines, {"ZqErrorNotify"});
    ASSERT_EQ(notify.size(), 1u);
    EXPECT_EQ(notify[0], WithHandle({"ZqErrorNotify(hwnd, H, 4294967294)"}, S().ControllerHandle)[0]);
    EXPECT_EQ(S().TestDone, 0);
}

// Each case starts its own program on its own registry.
TEST(Connection, AStoredGantryPartnerBeyondTheControllerIsNoPartner) {
    struct Case { int slave; int partner; };
    const Case cases[] = {{2, 2}, {4, 4}, {5, 0}, {16, 0}};
    for (const Case& c : cases) {
        IsolatedRegistry own;
        BYTE gantry = 1;
        int master = 1;
        WriteRegValue(HKEY_CURRENT_USER, kGlobalKey, "Gantry", REG_BINARY, &gantry, 1);
        WriteRegValue(HKEY_CURRENT_USER, kGlobalKey, "GantryMaster", REG_BINARY, &master, 4);
        WriteRegValue(HKEY_CURRENT_USER, kGlobalKey, "GantrySlave", REG_BINARY, &c.slave, 4);
        LoopsmithApp one;
        ASSERT_NE(one.Start(), nullptr);
        EXPECT_EQ(GantryPartner(one.State()), c.partner) << c.slave;
        SendMessageA(one.Main(), WM_TIMER, LOOPSMITH_TIMER_ID, 0);
        char text[32] = {};
        GetDlgItemTextA(one.Panel(), IDC_AXIS_READOUT, text, sizeof text);
        EXPECT_STREQ(text, c.partner ? "1  gantry" : "1") << c.slave;
    }
}

TEST_F(ConnectionTest, CancelledSelectionStillRefreshesEverything) {
    ASSERT_NE(app.Start(), nullptr);
    const short handle = S().ControllerHandle;
    Journal journal("selectcancel");
    Responder responder;  // cancels the selection dialog
    SendMessageA(app.Main(), WM_TIMER, LOOPSMITH_TIMER_ID, 0);
    SetDlgItemTextA(app.Panel(), IDC_AXIS_READOUT, "stale");
    S().PropGain.FullScale = 1.0;
    app.Command(IDM_SELECT_CONTROLLER);
    EXPECT_EQ(S().ControllerHandle, handle);
    EXPECT_EQ(S().ControllerID, 0);
    EXPECT_EQ(S().PropGain.FullScale, 20.0);
    EXPECT_EQ(Journal::Filter(journal.Lines(), {"ZQDLG_SelectController", "ZqClose", "ZqOpen"}),
              (std::vector<std::string>{"ZQDLG_SelectController(hwnd, 0, 0, 0)"}));
    SendMessageA(app.Main(), WM_TIMER, LOOPSMITH_TIMER_ID, 0);
    char text[32] = {};
    GetDlgItemTextA(app.Panel(), IDC_AXIS_READOUT, text, sizeof text);
    EXPECT_STREQ(text, "1");
}

// Stands in for the selection dialog of the dialogs library: answers from a script.
struct SelectionScript {
    static inline std::vector<int> answers;
    static inline std::vector<int> asked;  // the current id passed in each time
    static int __stdcall Select(HWND, int current, int, int) {
        asked.push_back(current);
        if (answers.empty()) return -1;
        int r = answers.front();
        answers.erase(answers.begin());
        return r;
    }
};

// Each case starts its own program on its own registry.
TEST(Connection, SelectControllerSavesTheAxisLeftRetriesAfterAFailureAndOpensTheChoice) {
    struct Case { std::vector<int> answers; bool opens; };
    const Case cases[] = {{{7, 1}, true}, {{7, -1}, false}};
    for (const Case& c : cases) {
        IsolatedRegistry own;
        LoopsmithApp one;
        ASSERT_NE(one.Start(), nullptr);
        AppState& s = one.State();
        const short first = s.ControllerHandle;
        s.Test.Distance = 42.0;
        s.Test.Trajectory = 1;
        Journal journal("select");
        Responder responder;
        ZQDLG_SelectController_t* library = ZQDLG_SelectController;
        SelectionScript::answers = c.answers;
        SelectionScript::asked.clear();
        ZQDLG_SelectController = &SelectionScript::Select;
        one.Command(IDM_SELECT_CONTROLLER);
        ZQDLG_SelectController = library;

        EXPECT_EQ(SelectionScript::asked, (std::vector<int>{0, 7}));
        ASSERT_EQ(responder.Records().size(), 1u);
        EXPECT_EQ(responder.Records()[0].text, OpenErrorText(7, -2));
        EXPECT_EQ(responder.Records()[0].owner, one.Main());
        std::vector<std::string> expected = {"ZqClose(" + std::to_string(first) + ")", "ZqOpen(7, 2, \"\")"};
        if (c.opens) expected.push_back("ZqOpen(1, 2, \"\")");
        EXPECT_EQ(Journal::Filter(journal.Lines(), {"ZqClose", "ZqOpen"}), expected);
        // The settings of the axis left are kept under its own controller, none under the id that failed.
        const std::string base = std::string(kGlobalKey) + "\\Axis";
        EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, base + "0:1\\Test Settings", "Distance").AsDouble(), 42.0);
        EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, base + "7:1"));
        if (c.opens) {
            EXPECT_EQ(s.ControllerID, 1);
            EXPECT_GT(s.ControllerHandle, 0);
            EXPECT_EQ(s.PropGain.FullScale, 32767.0);
            // The new axis's trajectory generator setting reaches the controller and the lamp.
            EXPECT_EQ(Journal::Filter(journal.Lines(), {"ZqSetOperatingMode"}).back(),
                      WithHandle({"ZqSetOperatingMode(H, 1, 0, 2)"}, s.ControllerHandle)[0]);
            EXPECT_EQ(IsDlgButtonChecked(one.Panel(), IDC_TRAJ_LED), 1u);
        } else {
            EXPECT_EQ(s.ControllerID, 7);
            EXPECT_LT(s.ControllerHandle, 0);
        }
        SendMessageA(one.Main(), WM_TIMER, LOOPSMITH_TIMER_ID, 0);
        char text[32] = {};
        GetDlgItemTextA(one.Panel(), IDC_AXIS_READOUT, text, sizeof text);
        EXPECT_STREQ(text, c.opens ? "1" : "");
        responder.ClearRecords();
        one.Close();
        EXPECT_TRUE(responder.Records().empty());
    }
}

TEST_F(ConnectionTest, AControllerWithoutMotorAxesIsClosedAndTheSelectionOffered) {
    SimConfigFile config("[controller.0]\naxes = 0\n");
    Journal journal("noaxes");
    Responder responder;  // acknowledges the message, cancels the selection
    HWND main = app.Start();
    ASSERT_NE(main, nullptr);
    EXPECT_LE(S().ControllerHandle, 0);
    ASSERT_GE(responder.Records().size(), 1u);
    EXPECT_EQ(responder.Records()[0].text,
              "No motor modules are installed on this controller. Tuning\n"
              "requires that at least one servo or stepper module be installed.");
    EXPECT_EQ(responder.Records()[0].caption, "Loopsmith");
    EXPECT_EQ(responder.Records()[0].style, static_cast<UINT>(MB_ICONWARNING | MB_OK));
    EXPECT_EQ(responder.Records()[0].owner, main);
    for (size_t i = 1; i < responder.Records().size(); ++i) EXPECT_FALSE(responder.Records()[i].messageBox);
    std::vector<std::string> lines = journal.Lines();
    auto open = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("ZqOpen(", 0) == 0; });
    ASSERT_GE(lines.end() - open, 4);
    const std::string handle = Arguments(open[1])[0];
    EXPECT_EQ(std::vector<std::string>(open, open + 4),
              (std::vector<std::string>{"ZqOpen(0, 2, \"\")", "ZqGetConfigurationEx(" + handle + ", &)",
                                        "ZqClose(" + handle + ")", "ZQDLG_SelectController(hwnd, -1, 0, 0)"}));
    // The closed handle is not closed again at exit, nor used by the timer.
    app.Close();
    lines = journal.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "ZqClose(" + handle + ")"), 1);
    EXPECT_EQ(AxisCallsOutside(journal.Lines(), 0), std::vector<std::string>{});
}

// What an axis can capture, and when the controller type decides about the
// capture period and delay.
TEST(Connection, SelectAxisReadsTheCaptureCapabilities) {
    struct Case { int type; const char* capture; int torque, advanced, aux; bool readsControllerType; };
    const Case cases[] = {
        {9, "0x180", 1, 256, 0, false},
        {7, "0x200", 0, 1, 1, true},
        {6, "0x80", 1, 1, 0, true},
        {8, "0x400", 0, 1, 0, true},
        {9, "0x280", 1, 0, 1, true},
        {9, "0", 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("type ") + std::to_string(c.type) + " capture " + c.capture);
        IsolatedRegistry own;
        SimConfigFile config("[controller.0]\ntype = " + std::to_string(c.type) + "\naxes = 2\n[controller.0.axis.2]\ncapture = " +
                             c.capture + "\n");
        LoopsmithApp one;
        ASSERT_NE(one.Start(), nullptr);
        AppState& s = one.State();
        s.PlotTorque = 1;
        Journal journal("capture");
        SelectAxis(s, 2);
        EXPECT_EQ(s.Axis, 2);
        EXPECT_EQ(s.TorqueCapture, c.torque);
        EXPECT_EQ(s.AdvancedCapture, c.advanced);
        EXPECT_EQ(s.AuxCapture, c.aux);
        EXPECT_EQ(s.PlotTorque, c.torque);
        std::vector<std::string> expected = {"ZqGetAxisConfiguration(H, 2, &)"};
        if (c.readsControllerType) expected.push_back("ZqGetConfigurationEx(H, &)");
        EXPECT_EQ(journal.Lines(), WithHandle(expected, s.ControllerHandle));
    }
}

TEST(Connection, ServoPeriodAndGainFullScaleFromTheControllerType) {
    struct Case { const char* ini; double periods[2]; double fullScale; };
    const Case cases[] = {
        // Type 8: number of axes x 1 ms for every axis, whatever the update rate; full scale
        // 32767 even with the floating-point bit.
        {"[controller.0]\ntype = 8\nflags = 4\naxes = 4\n", {0.004, 0.004}, 32767.0},
        // Other types: the rate period that the update rate selects.
        {"[controller.0]\ntype = 6\nflags = 4\naxes = 2\n[controller.0.axis.1]\nupdate_rate = 1\nlow = 0.004\n"
         "[controller.0.axis.2]\nupdate_rate = 2\nmedium = 0.0008\n",
         {0.004, 0.0008}, 20.0},
        {"[controller.0]\ntype = 6\nflags = 0\naxes = 2\n[controller.0.axis.1]\nupdate_rate = 4\nhigh = 0.00025\n"
         "[controller.0.axis.2]\nupdate_rate = 4\nhigh = 0.0005\n",
         {0.00025, 0.0005}, 32767.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        IsolatedRegistry own;
        SimConfigFile config(c.ini);
        Responder responder;
        LoopsmithApp one;
        ASSERT_NE(one.Start(), nullptr);
        for (const DialogRecord& r : responder.Records()) ADD_FAILURE() << r.caption << ": " << r.text;
        AppState& s = one.State();
        for (int axis = 1; axis <= 2; ++axis) {
            double seconds = -1.0;
            EXPECT_EQ(ServoPeriod(s.ControllerHandle, static_cast<unsigned short>(axis), &seconds), 0);
            EXPECT_DOUBLE_EQ(seconds, c.periods[axis - 1]) << "axis " << axis;
        }
        EXPECT_EQ(s.PropGain.FullScale, c.fullScale);
        EXPECT_EQ(s.DerGain.FullScale, c.fullScale);
    }
}

TEST_F(ConnectionTest, GantrySharingCopiesSevenItemsToThePartnerInOrder) {
    ASSERT_NE(app.Start(), nullptr);
    AppState& s = app.State();
    s.Gantry = 1;
    s.GantryMaster = 1;
    s.GantrySlave = 2;
    const std::vector<std::string> names = {"ZqGetScale", "ZqSetScale", "ZqGetMotionConfig", "ZqSetMotionConfig",
                                            "ZqGetFilterConfig", "ZqSetFilterConfig", "ZqGetPositionEx",
                                            "ZqSetPosition", "ZqGetProfile", "ZqSetProfile", "ZqGetServoOutputPhase",
                                            "ZqSetServoOutputPhase", "ZqGetModuleOutputMode", "ZqSetModuleOutputMode"};
    struct Case { BYTE share; int axis; int partner; };
    const Case cases[] = {{1, 1, 2}, {1, 2, 1}, {0, 1, 0}, {1, 3, 0}};
    for (const Case& c : cases) {
        s.GantryShare = c.share;
        s.Axis = c.axis;
        Journal journal("share");
        ShareGantrySettings(s);
        std::vector<std::string> lines = Journal::Filter(journal.Lines(), names);
        if (!c.partner) {
            EXPECT_TRUE(lines.empty()) << int(c.share) << " axis " << c.axis;
            continue;
        }
        ASSERT_EQ(lines.size(), names.size());
        for (size_t i = 0; i < names.size(); ++i) {
            std::vector<std::string> args = Arguments(lines[i]);
            EXPECT_EQ(lines[i].substr(0, lines[i].find('(')), names[i]);
            ASSERT_GE(args.size(), 3u);
            EXPECT_EQ(args[0], std::to_string(s.ControllerHandle));
            EXPECT_EQ(args[1], std::to_string(i % 2 ? c.partner : c.axis)) << lines[i];
        }
    }
    // The partner's position follows the axis.
    double position = 0;
    ZqSetPosition(s.ControllerHandle, 1, 12.5);
    s.Axis = 1;
    ShareGantrySettings(s);
    ZqGetPositionEx(s.ControllerHandle, 2, &position);
    EXPECT_NEAR(position, 12.5, 0.2);
}

}  // namespace
