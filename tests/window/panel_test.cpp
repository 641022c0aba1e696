// Gain panel: its controls, the slider area, the trajectory generator, motor and
// Zero buttons with the gantry partner, the Axis button and the step commands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_fixture.h"
#include "controller/zq_library.h"
#include "core/app_state.h"
#include "core/plot_panes.h"
#include "journal.h"
#include "journal_handle.h"
#include "registry.h"
#include "resources/app_ids.h"
#include "resources/panel_ids.h"
#include "responder.h"
#include "screenshot.h"
#include "sim_config_file.h"

namespace {

class PanelTest : public ::testing::Test {
protected:
    IsolatedRegistry registry;
    LoopsmithApp app;
};

std::string ClassOf(HWND w) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

std::string TextOf(HWND w) {
    char text[64] = {};
    GetWindowTextA(w, text, sizeof text);
    return text;
}

// The panel's children in creation order.
std::vector<HWND> ChildrenInCreationOrder(HWND panel) {
    std::vector<HWND> children;
    for (HWND c = GetWindow(panel, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
    // Z order lists the newest first when each child went in at the top.
    if (children.size() > 1 && GetDlgCtrlID(children.front()) == 217) children.assign(children.rbegin(), children.rend());
    return children;
}

struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    DWORD style;
    RECT rect;  // left, top, right, bottom in panel client pixels; empty for those placed at WM_SIZE
    bool panelFont;
};

TEST_F(PanelTest, CreatesEveryControlInOrderWithItsIdTextPlaceStyleAndFont) {
    constexpr DWORD group = 0x50000007, plain = 0x50000000, readout = 0x50000002;
    const ExpectedControl expected[] = {
        {-1, "Button", "", group, {10, 0, 210, 82}, false},
        {201, "Button", "Axis", plain, {20, 15, 80, 40}, true},
        {202, "ZQDLG_ReadoutWindowClass", "", readout, {100, 15, 200, 39}, false},
        {201, "Static", "Position", plain, {30, 54, 90, 79}, true},
        {203, "ZQDLG_ReadoutWindowClass", "", readout, {100, 50, 200, 74}, false},
        {-1, "Button", "Motor", group, {10, 83, 210, 129}, true},
        {204, "ZQDLG_LEDWindowClass", "", plain, {35, 105, 49, 119}, false},
        {205, "Button", "On", plain, {70, 100, 130, 122}, true},
        {206, "Button", "Off", plain, {140, 100, 200, 122}, true},
        {-1, "Button", "Trajectory Generator", group, {10, 130, 210, 176}, true},
        {207, "ZQDLG_LEDWindowClass", "", plain, {35, 152, 49, 166}, false},
        {208, "Button", "On", plain, {70, 147, 130, 169}, true},
        {209, "Button", "Off", plain, {140, 147, 200, 169}, true},
        {-1, "Button", "Test", group, {10, 176, 210, 252}, true},
        {210, "Button", "Step Plus", plain, {20, 192, 105, 214}, true},
        {211, "Button", "Step Minus", plain, {115, 192, 200, 214}, true},
        {212, "Button", "Clear", plain, {20, 220, 105, 242}, true},
        {213, "Button", "Zero", plain, {115, 220, 200, 242}, true},
        {214, "Button", "", group, {}, false},
        {215, "SliderWindowClass", "P", plain, {}, true},
        {216, "SliderWindowClass", "I", plain, {}, true},
        {217, "SliderWindowClass", "D", plain, {}, true},
    };
    ASSERT_NE(app.Start(), nullptr);
    HWND panel = app.Panel();
    ASSERT_EQ(app.State().PanelWindow, panel);
    char name[32];
    GetClassNameA(panel, name, sizeof name);
    EXPECT_STREQ(name, "CPanelClass");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(panel, GWL_STYLE)) & ~WS_CLIPSIBLINGS, 0x50000000u);

    std::vector<HWND> children = ChildrenInCreationOrder(panel);
    ASSERT_EQ(children.size(), std::size(expected));
    HFONT panelFont = reinterpret_cast<HFONT>(SendDlgItemMessageA(panel, 201, WM_GETFONT, 0, 0));
    ASSERT_NE(panelFont, nullptr);
    LOGFONTA lf = {};
    GetObjectA(panelFont, sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, 15);
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_STREQ(lf.lfFaceName, "Arial");

    for (size_t i = 0; i < children.size(); ++i) {
        const ExpectedControl& e = expected[i];
        HWND c = children[i];
        SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(e.id));
        EXPECT_EQ(GetDlgCtrlID(c), e.id);
        EXPECT_STRCASEEQ(ClassOf(c).c_str(), e.className);
        EXPECT_EQ(TextOf(c), e.text);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(c, GWL_STYLE)) & ~WS_DISABLED, e.style);
        EXPECT_EQ(GetWindowLongA(c, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0);
        if (e.rect.right) {
            RECT r = RectInParent(c);
            EXPECT_EQ(r.left, e.rect.left);
            EXPECT_EQ(r.top, e.rect.top);
            EXPECT_EQ(r.right, e.rect.right);
            EXPECT_EQ(r.bottom, e.rect.bottom);
        }
        // The slider control keeps its own font; the standard controls report theirs.
        if (e.id < 215) {
            HFONT font = reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0));
            if (e.panelFont) EXPECT_EQ(font, panelFont);
            else EXPECT_NE(font, panelFont);
        }
    }
    SaveWindowScreenshot(app.Main(), "panel_start");
}

// Resizes the main window so that its client area is width x height.
void SetClientSize(HWND window, int width, int height) {
    for (int i = 0; i < 2; ++i) {
        RECT client, frame;
        GetClientRect(window, &client);
        GetWindowRect(window, &frame);
        SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + width - client.right,
                     frame.bottom - frame.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    }
}

TEST_F(PanelTest, SlidersFillTheHeightLeftBelowTheButtons) {
    ASSERT_NE(app.Start(), nullptr);
    HWND panel = app.Panel();
    for (int height : {600, 450}) {
        SetClientSize(app.Main(), 860, height);
        ASSERT_EQ(ClientSize(panel).cy, height);
        HDC dc = GetDC(panel);
        TEXTMETRICA tm = {};
        GetTextMetricsA(dc, &tm);
        ReleaseDC(panel, dc);
        for (int i = 0; i < 3; ++i) {
            RECT r = RectInParent(GetDlgItem(panel, 215 + i));
            EXPECT_EQ(r.left, 15 + 65 * i);
            EXPECT_EQ(r.top, 265);
            EXPECT_EQ(r.right - r.left, 60);
            EXPECT_EQ(r.bottom - r.top, height - 272);
        }
        RECT frame = RectInParent(GetDlgItem(panel, 214));
        EXPECT_EQ(frame.left, 10);
        EXPECT_EQ(frame.top, 252);
        EXPECT_EQ(frame.right - frame.left, 200);
        EXPECT_EQ(frame.bottom - frame.top, height - tm.tmHeight / 4 - 252);
    }
}

TEST_F(PanelTest, ControlsGetTheButtonFaceBrushWhichFollowsSystemColourChanges) {
    ASSERT_NE(app.Start(), nullptr);
    HWND panel = app.Panel();
    HDC dc = GetDC(panel);
    auto check = [&](UINT message) {
        SetBkMode(dc, OPAQUE);
        HBRUSH brush = reinterpret_cast<HBRUSH>(
            SendMessageA(panel, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GetDlgItem(panel, 201))));
        LOGBRUSH lb = {};
        EXPECT_EQ(GetObjectA(brush, sizeof lb, &lb), static_cast<int>(sizeof lb));
        EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
        EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
        return brush;
    };
    HBRUSH before = check(WM_CTLCOLORBTN);
    EXPECT_EQ(check(WM_CTLCOLORSTATIC), before);
    SendMessageA(app.Main(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(GetObjectType(before), 0u);  // the old brush is gone
    check(WM_CTLCOLORSTATIC);
    ReleaseDC(panel, dc);
}

TEST_F(PanelTest, TrajectoryGeneratorButtonsSwitchModeLampButtonsAndDropTheTest) {
    ASSERT_NE(app.Start(), nullptr);
    HWND panel = app.Panel();
    AppState& s = app.State();
    ASSERT_EQ(s.Test.Trajectory, 0);
    EXPECT_EQ(IsDlgButtonChecked(panel, IDC_TRAJ_LED), 0u);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(panel, IDC_TRAJ_ON)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(panel, IDC_TRAJ_OFF)));
    struct Step { int button; BYTE trajectory; const char* mode; };
    const Step steps[] = {{IDC_TRAJ_ON, 1, "ZqSetOperatingMode(H, 1, 0, 2)"},
                          {IDC_TRAJ_OFF, 0, "ZqSetOperatingMode(H, 1, 0, 1)"}};
    for (const Step& st : steps) {
        Journal journal("trajectory");
        s.TestDone = 1;
        SendMessageA(GetDlgItem(panel, st.button), BM_CLICK, 0, 0);
        EXPECT_EQ(s.Test.Trajectory, st.trajectory);
        EXPECT_EQ(s.TestDone, 0);
        EXPECT_EQ(IsDlgButtonChecked(panel, IDC_TRAJ_LED), static_cast<UINT>(st.trajectory));
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(panel, IDC_TRAJ_ON)) != 0, st.trajectory == 0);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(panel, IDC_TRAJ_OFF)) != 0, st.trajectory == 1);
        EXPECT_EQ(Journal::Filter(journal.Lines(), {"ZqSetOperatingMode"}), WithHandle({st.mode}, s.ControllerHandle));
    }
}

TEST_F(PanelTest, MotorAndZeroActOnTheGantryPartnerToo) {
    struct Case { BYTE gantry, share; int master, slave, axis; std::vector<std::string> calls; };
    const Case cases[] = {
        {1, 1, 1, 2, 1, {"ZqEnableAxis(H, 1, 1)", "ZqEnableAxis(H, 2, 1)", "ZqEnableAxis(H, 1, 0)",
                         "ZqEnableAxis(H, 2, 0)", "ZqSetPosition(H, 1, 0)", "ZqSetPosition(H, 2, 0)"}},
        {1, 0, 1, 2, 2, {"ZqEnableAxis(H, 2, 1)", "ZqEnableAxis(H, 1, 1)", "ZqEnableAxis(H, 2, 0)",
                         "ZqEnableAxis(H, 1, 0)", "ZqSetPosition(H, 2, 0)", "ZqSetPosition(H, 1, 0)"}},
        {1, 1, 1, 2, 3, {"ZqEnableAxis(H, 3, 1)", "ZqEnableAxis(H, 3, 0)", "ZqSetPosition(H, 3, 0)"}},
        {0, 1, 1, 2, 1, {"ZqEnableAxis(H, 1, 1)", "ZqEnableAxis(H, 1, 0)", "ZqSetPosition(H, 1, 0)"}},
    };
    ASSERT_NE(app.Start(), nullptr);
    AppState& s = app.State();
    for (const Case& c : cases) {
        s.Gantry = c.gantry;
        s.GantryShare = c.share;
        s.GantryMaster = c.master;
        s.GantrySlave = c.slave;
        s.Axis = c.axis;
        Journal journal("motor");
        for (int id : {IDC_MOTOR_ON, IDC_MOTOR_OFF}) SendMessageA(GetDlgItem(app.Panel(), id), BM_CLICK, 0, 0);
        app.Command(IDM_ZERO_POSITION);
        EXPECT_EQ(Journal::Filter(journal.Lines(), {"ZqEnableAxis", "ZqSetPosition"}), WithHandle(c.calls, s.ControllerHandle))
            << "gantry " << int(c.gantry) << " axis " << c.axis;
    }
}

TEST_F(PanelTest, AxisButtonWalksThroughTheAxesWithTheirOwnSettings) {
    // Axis 2 was left with the trajectory generator on and narrower P limits.
    const std::string key = "Software\\Quelmont\\Draxwell\\Loopsmith\\Axis0:2";
    double upper = 60.0;
    BYTE on = 1;
    WriteRegValue(HKEY_CURRENT_USER, key, "PropGainMax", REG_BINARY, &upper, 8);
    WriteRegValue(HKEY_CURRENT_USER, key + "\\Test Settings", "Trajectory", REG_BINARY, &on, 1);
    ASSERT_NE(app.Start(), nullptr);
    HWND panel = app.Panel();
    AppState& s = app.State();
    Journal journal("cycle");
    std::vector<int> axes;
    for (int i = 0; i < 5; ++i) {
        SendMessageA(GetDlgItem(panel, IDC_AXIS_BUTTON), BM_CLICK, 0, 0);
        axes.push_back(s.Axis);
        if (s.Axis == 2) {
            EXPECT_EQ(s.PropGain.UpperLimit, 60.0);
            EXPECT_EQ(s.Test.Trajectory, 1);
            EXPECT_EQ(IsDlgButtonChecked(panel, IDC_TRAJ_LED), 1u);
        }
    }
    EXPECT_EQ(axes, (std::vector<int>{2, 3, 4, 1, 2}));
    SendMessageA(app.Main(), WM_TIMER, LOOPSMITH_TIMER_ID, 0);
    SaveWindowScreenshot(app.Main(), "panel_axis_2");
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Quelmont\\Draxwell\\Loopsmith\\Axis0:4"));
    // Each press reads the axis count, then applies the new axis's mode.
    std::vector<std::string> lines = Journal::Filter(journal.Lines(), {"ZqGetConfiguration", "ZqSetOperatingMode"});
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 2),
              WithHandle({"ZqGetConfiguration(H, &)", "ZqSetOperatingMode(H, 2, 0, 2)"}, s.ControllerHandle));
}

TEST_F(PanelTest, StoredSliderWindowsAroundTheGainSurviveTheStart) {
    const std::string key = "Software\\Quelmont\\Draxwell\\Loopsmith\\Axis0:1";
    const double lower = 5.0, upper = 50.0;
    for (const char* name : {"PropGainMin", "IntGainMin", "DerGainMin"})
        WriteRegValue(HKEY_CURRENT_USER, key, name, REG_BINARY, &lower, 8);
    for (const char* name : {"PropGainMax", "IntGainMax", "DerGainMax"})
        WriteRegValue(HKEY_CURRENT_USER, key, name, REG_BINARY, &upper, 8);
    ASSERT_NE(app.Start(), nullptr);
    for (const GainChannel* g : {&app.State().PropGain, &app.State().IntGain, &app.State().DerGain}) {
        ASSERT_GE(g->Percent, lower);  // the bench's gains lie inside the stored windows
        ASSERT_LE(g->Percent, upper);
        EXPECT_EQ(g->LowerLimit, lower);
        EXPECT_EQ(g->UpperLimit, upper);
    }
}

TEST_F(PanelTest, StepCommandsDoNothingWhileTheMotorLampIsOff) {
    ASSERT_NE(app.Start(), nullptr);
    Responder responder;
    Journal journal("steplampoff");
    CheckDlgButton(app.Panel(), IDC_MOTOR_LED, 0);
    app.Command(IDM_STEP_PLUS);
    app.Command(IDM_STEP_MINUS);
    SendMessageA(GetDlgItem(app.Panel(), IDC_STEP_PLUS), BM_CLICK, 0, 0);
    EXPECT_TRUE(Journal::Filter(journal.Lines(), {"ZqGetAxisConfiguration", "ZQDLG_ModuleDescEx"}).empty());
    EXPECT_TRUE(responder.Records().empty());
}

TEST_F(PanelTest, MotorOnLightsTheLampAndEnablesOffAndTheStepButtons) {
    ASSERT_NE(app.Start(), nullptr);
    HWND panel = app.Panel();
    auto tick = [&] { SendMessageA(app.Main(), WM_TIMER, LOOPSMITH_TIMER_ID, 0); };
    auto enabled = [&](int id) { return IsWindowEnabled(GetDlgItem(panel, id)) != 0; };
    tick();
    EXPECT_EQ(IsDlgButtonChecked(panel, IDC_MOTOR_LED), 0u);
    for (int id : {IDC_MOTOR_OFF, IDC_STEP_PLUS, IDC_STEP_MINUS}) EXPECT_FALSE(enabled(id)) << id;
    EXPECT_TRUE(enabled(IDC_MOTOR_ON));
    SendMessageA(GetDlgItem(panel, IDC_MOTOR_ON), BM_CLICK, 0, 0);
    tick();
    EXPECT_EQ(IsDlgButtonChecked(panel, IDC_MOTOR_LED), 1u);
    for (int id : {IDC_MOTOR_OFF, IDC_STEP_PLUS, IDC_STEP_MINUS}) EXPECT_TRUE(enabled(id)) << id;
    SaveWindowScreenshot(app.Main(), "panel_motor_on");
    SendMessageA(GetDlgItem(panel, IDC_MOTOR_OFF), BM_CLICK, 0, 0);
    tick();
    EXPECT_EQ(IsDlgButtonChecked(panel, IDC_MOTOR_LED), 0u);
    for (int id : {IDC_MOTOR_OFF, IDC_STEP_PLUS, IDC_STEP_MINUS}) EXPECT_FALSE(enabled(id)) << id;
}

TEST_F(PanelTest, AFollowingErrorTripShowsTheLampsThirdState) {
    ASSERT_NE(app.Start(), nullptr);
    const short h = app.State().ControllerHandle;
    FilterConfig filter = {};
    ZqGetFilterConfig(h, 1, &filter);
    filter.FollowingError = 0.001;  // any move trips it
    ZqSetFilterConfig(h, 1, &filter);
    SendMessageA(GetDlgItem(app.Panel(), IDC_TRAJ_ON), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(app.Panel(), IDC_MOTOR_ON), BM_CLICK, 0, 0);
    ZqMoveRelative(h, 1, 100.0);
    Sleep(200);
    SendMessageA(app.Main(), WM_TIMER, LOOPSMITH_TIMER_ID, 0);
    int status = ZqGetStatus(h, 1);
    ASSERT_GT(ZqDecodeStatus(h, status, 7), 0);
    EXPECT_EQ(IsDlgButtonChecked(app.Panel(), IDC_MOTOR_LED), 2u);
    bool on = ZqDecodeStatus(h, status, 1) > 0;
    for (int id : {IDC_MOTOR_OFF, IDC_STEP_PLUS, IDC_STEP_MINUS})
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(app.Panel(), id)) != 0, on) << id;
}

TEST_F(PanelTest, StepOnAnAxisThatCannotCaptureNamesItsModule) {
    ASSERT_NE(app.Start("-a 4"), nullptr);  // the bench's stepper axis captures nothing
    AppState& s = app.State();
    ASSERT_EQ(s.Axis, 4);
    AxisConfig config = {};
    config.Size = kAxisConfigSize;
    ZqGetAxisConfiguration(s.ControllerHandle, 4, &config);
    ASSERT_EQ(config.CaptureFlags, 0);
    char module[32] = {};
    ZQDLG_ModuleDescEx(config.ModuleType, 1, module, sizeof module);

    Journal journal("stepunsupported");
    Responder responder;
    SendMessageA(GetDlgItem(app.Panel(), IDC_MOTOR_ON), BM_CLICK, 0, 0);
    SendMessageA(app.Main(), WM_TIMER, LOOPSMITH_TIMER_ID, 0);
    ASSERT_NE(IsDlgButtonChecked(app.Panel(), IDC_MOTOR_LED), 0u);
    app.Command(IDM_STEP_PLUS);                                              // F5
    SendMessageA(GetDlgItem(app.Panel(), IDC_STEP_MINUS), BM_CLICK, 0, 0);  // the button
    ASSERT_EQ(responder.Records().size(), 2u);
    for (const DialogRecord& r : responder.Records()) {
        EXPECT_EQ(r.text, std::string("The ") + module + " module is not supported by the Loopsmith Program");
        EXPECT_EQ(r.caption, "Loopsmith");
        EXPECT_EQ(r.style, static_cast<UINT>(MB_ICONERROR | MB_OK));
        EXPECT_EQ(r.owner, nullptr);
    }
    EXPECT_EQ(Journal::Filter(journal.Lines(), {"ZQDLG_ModuleDescEx"}),
              std::vector<std::string>(2, "ZQDLG_ModuleDescEx(" + std::to_string(config.ModuleType) + ", 1, &, 32)"));
    EXPECT_TRUE(Journal::Filter(journal.Lines(), {"ZqMoveRelative", "ZqCaptureData", "ZqBlockBegin"}).empty());
    EXPECT_EQ(s.TestDone, 0);
}

TEST_F(PanelTest, AxisButtonOnAOneAxisControllerStaysButStillReloads) {
    SimConfigFile config("[controller.0]\naxes = 1\n");
    ASSERT_NE(app.Start(), nullptr);
    AppState& s = app.State();
    s.Test.Trajectory = 1;  // differs from what is stored, so the reload shows
    Journal journal("oneaxis");
    SendMessageA(GetDlgItem(app.Panel(), IDC_AXIS_BUTTON), BM_CLICK, 0, 0);
    EXPECT_EQ(s.Axis, 1);
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Quelmont\\Draxwell\\Loopsmith\\Axis0:1"));
    EXPECT_EQ(Journal::Filter(journal.Lines(), {"ZqGetConfiguration", "ZqSetOperatingMode"}),
              WithHandle({"ZqGetConfiguration(H, &)", "ZqSetOperatingMode(H, 1, 0, 2)"}, s.ControllerHandle));
    EXPECT_EQ(IsDlgButtonChecked(app.Panel(), IDC_TRAJ_LED), 1u);
}

// Axis 4 of the bench controller is a stepper that captures no auxiliary
// encoder; axes 1 to 3 do, so the Separate style needs one pane more there.
TEST_F(PanelTest, AxisButtonLaysThePanesOutForTheNewAxissCapture) {
    ASSERT_NE(app.Start("-a 4"), nullptr);
    AppState& s = app.State();
    ASSERT_EQ(s.Axis, 4);
    s.PlotStyle = kPlotSeparate;
    s.PlotAuxiliary = 1;
    s.Test.Trajectory = 1;
    Relayout(app.Main());
    auto shown = [&] {
        int n = 0;
        for (HWND pane : s.PlotPanes) n += IsWindowVisible(pane) && IsWindowEnabled(pane) ? 1 : 0;
        return n;
    };
    ASSERT_EQ(shown(), 3);  // actual, optimal, error
    const struct { int axis, panes; } steps[] = {{1, 4}, {2, 4}, {3, 4}, {4, 3}};
    for (const auto& step : steps) {
        SendMessageA(GetDlgItem(app.Panel(), IDC_AXIS_BUTTON), BM_CLICK, 0, 0);
        ASSERT_EQ(s.Axis, step.axis);
        EXPECT_EQ(s.PlotPaneCount(), step.panes) << step.axis;
        EXPECT_EQ(shown(), step.panes) << "axis " << step.axis;
    }
}

}  // namespace
