// Gain panel window: creates its controls, carries out the motor, trajectory
// generator, test and axis commands (from its buttons or forwarded from the
// menu), and lays out the slider area.
#include "gain_panel.h"

#include <cstdio>

#include "../controller/zq_library.h"
#include "../core/capture_data.h"
#include "../core/connection.h"
#include "../core/modal_wait.h"
#include "../core/plot_panes.h"
#include "../core/settings.h"
#include "../plot/plot_display.h"
#include "../resources/panel_ids.h"
#include "../steptest/step_run.h"
#include "gain_slider.h"

namespace {

constexpr DWORD kGroupBox = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;  // 0x50000007
constexpr DWORD kPlain = WS_CHILD | WS_VISIBLE;                   // push buttons, label, LEDs, sliders
constexpr DWORD kReadout = WS_CHILD | WS_VISIBLE | 0x2;           // 0x50000002
#define READOUT_CLASS "ZQDLG_ReadoutWindowClass"
#define LED_CLASS "ZQDLG_LEDWindowClass"

// Lit colour of the trajectory generator lamp, handed to the LED class.
const COLORREF kTrajectoryLedColour = 0x0000DFDF;

// Font and brush of the one panel; the panel keeps no other state.
struct PanelResources {
    HFONT font = nullptr;
    HBRUSH brush = nullptr;
};
PanelResources g_panel;

bool ControllerOpen(const AppState& s) { return s.ControllerHandle > 0; }

unsigned short CurrentAxis(const AppState& s) { return static_cast<unsigned short>(s.Axis); }

HFONT CreatePanelFont() {
    LOGFONTA lf = {};
    lf.lfHeight = 15;
    lf.lfWeight = 400;
    lstrcpynA(lf.lfFaceName, "Arial", LF_FACESIZE);
    return CreateFontIndirectA(&lf);
}

HWND CreateControl(HWND panel, const PanelControl& c, void* creationData) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(panel, GWLP_HINSTANCE));
    HWND child = CreateWindowExA(0, c.className, c.text, c.style, c.x, c.y, c.width, c.height, panel,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, creationData);
    if (child && c.panelFont) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(g_panel.font), 1);
    return child;
}

// Each slider gets its channel's gain accessor first; the slider copies what it
// needs from the creation data during its own WM_CREATE.
void CreateSlider(HWND panel, const PanelControl& c, AppState& s) {
    SliderCreateData data = {};
    data.State = &s;
    switch (c.id) {
    case IDC_SLIDER_P: s.PropGain.Access = PropGainAccess; data.Channel = &s.PropGain; data.GainId = 1; break;
    case IDC_SLIDER_I: s.IntGain.Access = IntGainAccess; data.Channel = &s.IntGain; data.GainId = 2; break;
    default: s.DerGain.Access = DerGainAccess; data.Channel = &s.DerGain; data.GainId = 4; break;
    }
    // The slider fits its window to the channel's gain as it is created; without the
    // axis's gain in the channel by then, a stored window above 0 % would be thrown away.
    GainChannel& channel = *data.Channel;
    if (s.ControllerHandle > 0 && channel.FullScale != 0) {
        unsigned short partner = s.GantryShare ? GantryPartner(s) : 0;
        channel.Percent = channel.Access(s.ControllerHandle, CurrentAxis(s), partner, nullptr, nullptr) / channel.FullScale * 100;
    }
    CreateControl(panel, c, &data);
}

LRESULT OnCreate(HWND panel) {
    AppState* s = StateOf(panel);
    g_panel.brush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    g_panel.font = CreatePanelFont();
    for (int i = 0; i < kPanelControlCount; ++i) {
        const PanelControl& c = kPanelControls[i];
        COLORREF lit = kTrajectoryLedColour;
        if (c.id >= IDC_SLIDER_P && c.id <= IDC_SLIDER_D) {
            if (s) CreateSlider(panel, c, *s);
        } else {
            CreateControl(panel, c, c.id == IDC_TRAJ_LED ? &lit : nullptr);
        }
    }
    ApplyTrajectoryMode(panel);
    return 0;
}

LRESULT OnDestroy() {
    if (g_panel.brush) DeleteObject(g_panel.brush);
    if (g_panel.font) DeleteObject(g_panel.font);
    g_panel = {};
    return 0;
}

void MoveTo(HWND panel, int id, const ControlPlace& p) {
    MoveWindow(GetDlgItem(panel, id), p.x, p.y, p.width, p.height, TRUE);
}

LRESULT OnSize(HWND panel, LPARAM lParam) {
    // The panel font is not selected: the device context's own font sets the frame's margin.
    HDC dc = GetDC(panel);
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc, &tm);
    ReleaseDC(panel, dc);
    SliderAreaLayout layout = ComputeSliderArea(HIWORD(lParam), tm.tmHeight);
    for (int i = 0; i < 3; ++i) MoveTo(panel, IDC_SLIDER_P + i, layout.sliders[i]);
    MoveTo(panel, IDC_SLIDER_FRAME, layout.frame);
    return 0;
}

LRESULT OnSysColorChange() {
    if (g_panel.brush) DeleteObject(g_panel.brush);
    g_panel.brush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    return 0;
}

LRESULT OnCtlColor(HDC dc) {
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(g_panel.brush);
}

// Motor on or off for the current axis and its gantry partner.
void EnableMotor(HWND panel, int on) {
    AppState* s = StateOf(panel);
    if (!s || !ControllerOpen(*s)) return;
    ZqEnableAxis(s->ControllerHandle, CurrentAxis(*s), on);
    if (unsigned short partner = GantryPartner(*s)) ZqEnableAxis(s->ControllerHandle, partner, on);
}

void ZeroPosition(HWND panel) {
    AppState* s = StateOf(panel);
    if (!s || !ControllerOpen(*s)) return;
    ZqSetPosition(s->ControllerHandle, CurrentAxis(*s), 0.0);
    if (unsigned short partner = GantryPartner(*s)) ZqSetPosition(s->ControllerHandle, partner, 0.0);
}

// Switching the trajectory generator throws the displayed test away.
void SetTrajectory(HWND panel, BYTE on) {
    AppState* s = StateOf(panel);
    if (!s) return;
    s->TestDone = 0;
    s->Test.Trajectory = on;
    ClearPlots(*s);
    ApplyTrajectoryMode(panel);
}

void ClearTest(HWND panel) {
    AppState* s = StateOf(panel);
    if (!s) return;
    ClearPlots(*s);
    s->TestDone = 0;
}

LRESULT OnCommand(HWND panel, WPARAM wParam) {
    AppState* s = StateOf(panel);
    if (s && ModalWorkRunning(s->MainWindow)) return 0;  // nothing starts during a test
    switch (LOWORD(wParam)) {
    case IDC_AXIS_BUTTON: CycleAxis(panel); break;
    case IDC_MOTOR_ON: EnableMotor(panel, 1); break;
    case IDC_MOTOR_OFF: EnableMotor(panel, 0); break;
    case IDC_TRAJ_ON: SetTrajectory(panel, 1); break;
    case IDC_TRAJ_OFF: SetTrajectory(panel, 0); break;
    case IDC_STEP_PLUS: StartStep(panel, 1); break;
    case IDC_STEP_MINUS: StartStep(panel, 0); break;
    case IDC_CLEAR: ClearTest(panel); break;
    case IDC_ZERO: ZeroPosition(panel); break;
    default: break;
    }
    return 0;
}

int Clamped(int value) { return value < 0 ? 0 : value; }

}  // namespace

const PanelControl kPanelControls[] = {
    {-1, "button", "", kGroupBox, 10, 0, 200, 82, false},
    {IDC_AXIS_BUTTON, "button", "Axis", kPlain, 20, 15, 60, 25, true},
    {IDC_AXIS_READOUT, READOUT_CLASS, "", kReadout, 100, 15, 100, 24, false},
    {IDC_POSITION_LABEL, "static", "Position", kPlain, 30, 54, 60, 25, true},
    {IDC_POSITION_READOUT, READOUT_CLASS, "", kReadout, 100, 50, 100, 24, false},
    {-1, "button", "Motor", kGroupBox, 10, 83, 200, 46, true},
    {IDC_MOTOR_LED, LED_CLASS, "", kPlain, 35, 105, 14, 14, false},
    {IDC_MOTOR_ON, "button", "On", kPlain, 70, 100, 60, 22, true},
    {IDC_MOTOR_OFF, "button", "Off", kPlain, 140, 100, 60, 22, true},
    {-1, "button", "Trajectory Generator", kGroupBox, 10, 130, 200, 46, true},
    {IDC_TRAJ_LED, LED_CLASS, "", kPlain, 35, 152, 14, 14, false},
    {IDC_TRAJ_ON, "button", "On", kPlain, 70, 147, 60, 22, true},
    {IDC_TRAJ_OFF, "button", "Off", kPlain, 140, 147, 60, 22, true},
    {-1, "button", "Test", kGroupBox, 10, 176, 200, 76, true},
    {IDC_STEP_PLUS, "button", "Step Plus", kPlain, 20, 192, 85, 22, true},
    {IDC_STEP_MINUS, "button", "Step Minus", kPlain, 115, 192, 85, 22, true},
    {IDC_CLEAR, "button", "Clear", kPlain, 20, 220, 85, 22, true},
    {IDC_ZERO, "button", "Zero", kPlain, 115, 220, 85, 22, true},
    {IDC_SLIDER_FRAME, "button", "", kGroupBox, 0, 0, 0, 0, false},
    {IDC_SLIDER_P, SLIDER_CLASS, "P", kPlain, 0, 0, 0, 0, true},
    {IDC_SLIDER_I, SLIDER_CLASS, "I", kPlain, 0, 0, 0, 0, true},
    {IDC_SLIDER_D, SLIDER_CLASS, "D", kPlain, 0, 0, 0, 0, true},
};
const int kPanelControlCount = sizeof kPanelControls / sizeof kPanelControls[0];

SliderAreaLayout ComputeSliderArea(unsigned height, int textHeight) {
    const int h = static_cast<int>(height);
    SliderAreaLayout layout = {};
    for (int i = 0; i < 3; ++i) layout.sliders[i] = ControlPlace{15 + 65 * i, 265, 60, Clamped(h - 272)};
    layout.frame = ControlPlace{10, 252, 200, Clamped(h - textHeight / 4 - 252)};
    return layout;
}

int NextAxis(int axis, int axisCount) {
    if (axisCount > kMaxAxes) axisCount = kMaxAxes;
    return axis < axisCount ? axis + 1 : 1;
}

void ApplyTrajectoryMode(HWND panel) {
    AppState* s = StateOf(panel);
    if (!s) return;
    const bool on = s->Test.Trajectory != 0;
    if (ControllerOpen(*s))
        ZqSetOperatingMode(s->ControllerHandle, CurrentAxis(*s), 0, on ? kModeTrajectoryOn : kModeTrajectoryOff);
    EnableWindow(GetDlgItem(panel, IDC_TRAJ_ON), !on);
    EnableWindow(GetDlgItem(panel, IDC_TRAJ_OFF), on);
    CheckDlgButton(panel, IDC_TRAJ_LED, on ? 1 : 0);
}

void CycleAxis(HWND panel) {
    AppState* s = StateOf(panel);
    // Without an open controller there are no axes to walk through.
    if (!s || !ControllerOpen(*s)) return;
    HWND main = s->MainWindow;
    ControllerParams params = {};
    ZqGetConfiguration(s->ControllerHandle, &params);
    SaveAxisSettings(main);
    // A wrong count from the controller can still only select an axis it has.
    int count = params.AxisCount;
    int usable = UsableAxisCount(s->ControllerHandle);
    if (count > usable) count = usable;
    SelectAxis(*s, NextAxis(s->Axis, count));
    LoadAxisSettings(main);
    // The new axis may capture torque or auxiliary data where the old one did
    // not (or the other way), and so need another number of panes.
    Relayout(main);
    UpdatePlots(main);
    for (int id : {IDC_SLIDER_P, IDC_SLIDER_I, IDC_SLIDER_D}) SendDlgItemMessageA(panel, id, SLM_REFRESH, 0, 0);
    ApplyTrajectoryMode(panel);
}

void StartStep(HWND panel, int plus) {
    // The LED is lit (1) or in its third state (2) only while the motor is on.
    if (IsDlgButtonChecked(panel, IDC_MOTOR_LED) == 0) return;
    AppState* s = StateOf(panel);
    if (!s || !ControllerOpen(*s)) return;
    AxisConfig config = {};
    config.Size = kAxisConfigSize;
    if (int r = ZqGetAxisConfiguration(s->ControllerHandle, CurrentAxis(*s), &config); r < 0) {
        // A configuration that was not read says nothing about the module.
        ShowTestFailure(s->MainWindow, r);
        return;
    }
    if (config.CaptureFlags != 0) {
        RunStepTest(s->MainWindow, plus);
        return;
    }
    char module[32] = {};
    ZQDLG_ModuleDescEx(config.ModuleType, 1, module, sizeof module);
    module[sizeof module - 1] = '\0';
    char text[128];
    std::snprintf(text, sizeof text, "The %s module is not supported by the Loopsmith Program", module);
    MessageBoxA(nullptr, text, "Loopsmith", MB_ICONERROR);
}

LRESULT CALLBACK GainPanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: return OnDestroy();
    case WM_SIZE: return OnSize(window, lParam);
    case WM_SYSCOLORCHANGE: return OnSysColorChange();
    case WM_COMMAND: return OnCommand(window, wParam);
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: return OnCtlColor(reinterpret_cast<HDC>(wParam));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
