// Menu commands, the File popup and the status timer of the main window.
#include "../autotune/auto_tune_dialog.h"
#include "../history/history_runs.h"
#include "../history/history_window.h"
#include "commands.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "../controller/zq_library.h"
#include "../core/connection.h"
#include "../core/help_file.h"
#include "../core/modal_wait.h"
#include "../core/settings.h"
#include "../core/wait_cursor.h"
#include "../files/command_file.h"
#include "../files/file_dialogs.h"
#include "../files/test_data_file.h"
#include "../libs/plotwin/plotwin.h"
#include "../panel/gain_panel.h"
#include "../panel/gain_slider.h"
#include "../panel/limits_dialog.h"
#include "../plot/plot_display.h"
#include "../print/print_job.h"
#include "../resources/app_ids.h"
#include "../resources/panel_ids.h"
#include "../setup/test_setup.h"

namespace {

// What the status timer showed last; lives for the whole process.
struct StatusReadoutState {
    int lastAxis = -1;
    double lastPosition = -1.0;
    int lastStatus = -1;
    int decimals = 0;
};
StatusReadoutState StatusReadout;
// Last axis shown while no controller is open: the readouts are blank then.
constexpr int kShowingNoController = -2;

// A controller that stops answering: the readouts show "---" until it answers
// again, and the user is told once per outage. The timer runs inside the
// message box, so the box being open is remembered as well.
struct OutageState {
    bool active = false;
    bool messageOpen = false;
};
OutageState Outage;

void ShowStepButtons(HWND panel, bool on) {
    for (int id : {IDC_STEP_PLUS, IDC_STEP_MINUS}) EnableWindow(GetDlgItem(panel, id), on);
}

void OnControllerSilent(HWND window, HWND panel, int code) {
    if (Outage.active) return;
    Outage.active = true;
    SetDlgItemTextA(panel, IDC_POSITION_READOUT, "---");
    ShowStepButtons(panel, false);
    CheckDlgButton(panel, IDC_MOTOR_LED, 0);
    // The position and the motor state are rewritten once the controller
    // answers again (NaN equals no position); the axis and its decimals stand.
    StatusReadout.lastPosition = std::nan("");
    StatusReadout.lastStatus = -1;
    if (Outage.messageOpen) return;
    Outage.messageOpen = true;
    const std::string text = "The controller does not respond:\n\n" + ControllerErrorText(code) +
                             "\n\nCheck its cable and power. Loopsmith keeps trying; choose File > Select "
                             "Controller to open another.";
    MessageBoxA(window, text.c_str(), "Loopsmith", MB_ICONWARNING);
    Outage.messageOpen = false;
}

bool ControllerOpen(const AppState& s) { return s.ControllerHandle > 0; }

void SelectController(HWND window, AppState& s) {
    short r = static_cast<short>(ZQDLG_SelectController(window, s.ControllerID, 0, 0));
    bool opened = false;
    while (r >= 0) {
        // Only an open controller has settings to keep and a handle to close: after
        // a failed attempt, saving would write this axis's settings under the id
        // that failed, over what that controller had stored.
        if (ControllerOpen(s)) {
            SaveAxisSettings(window);
            ZqClose(s.ControllerHandle);
        }
        s.ControllerID = r;
        if (OpenController(s) > 0) {
            opened = true;
            break;
        }
        if (s.ControllerHandle < 0) ShowOpenError(window, s);
        r = static_cast<short>(ZQDLG_SelectController(window, s.ControllerID, 0, 0));
    }
    // The new axis's trajectory generator setting goes to the new controller and the panel.
    if (opened && s.PanelWindow) ApplyTrajectoryMode(s.PanelWindow);
    ShareGantrySettings(s);
    SetGainFullScale(s);
    RefreshSliders(s);
    Relayout(window);
    UpdatePlots(window);
    ResetAxisReadout();
}

void ResetController(HWND window, AppState& s) {
    if (!ControllerOpen(s)) return;
    if (MessageBoxA(window, "This will reset all controller settings to their default values. Proceed?", "Reset",
                    MB_ICONQUESTION | MB_OKCANCEL) != IDOK)
        return;
    if (int r = ZqReset(s.ControllerHandle, 0); r < 0) {
        ShowControllerError(window, "The controller could not be reset:", r);
        return;
    }
    RefreshSliders(s);
    s.Modified = 1;
}

void OpenTestFile(HWND window) {
    char name[MAX_PATH] = "*.csv";
    if (!ChooseFileToOpen(window, name, 1) || !name[0]) return;
    WaitCursor wait;
    int read = OpenTestData(window, name);
    UpdatePlots(window);
    if (read) AddDisplayedRun(window, FileNamePart(name), false);
}

void SaveTestFile(HWND window) {
    char name[MAX_PATH] = {};
    if (!ChooseFileToSave(window, name, 1) || !name[0]) return;
    WaitCursor wait;
    SaveTestData(window, name);
}

void ToggleAutoInitialize(HWND window, AppState& s) {
    HMENU menu = GetMenu(window);
    if (GetMenuState(menu, IDM_AUTO_INITIALIZE, MF_BYCOMMAND) & MF_CHECKED) {
        CheckMenuItem(menu, IDM_AUTO_INITIALIZE, MF_BYCOMMAND | MF_UNCHECKED);
        s.AutoInit = 0;
        return;
    }
    s.AutoInit = 1;
    CheckMenuItem(menu, IDM_AUTO_INITIALIZE, MF_BYCOMMAND | MF_CHECKED);
    if (!ControllerOpen(s)) return;  // the restore happens when a controller opens
    ZQDLG_RestoreAxis(s.ControllerHandle, 0, 0, 0);
    ShareGantrySettings(s);
    RefreshSliders(s);
}

void ImportZpcl(HWND window, AppState& s) {
    if (!ControllerOpen(s)) return;
    char name[MAX_PATH] = {};
    if (!ChooseFileToOpen(window, name, 0) || !name[0]) return;
    int r;
    {
        WaitCursor wait;
        r = ImportCommandFile(window, s.ControllerHandle, name);
    }
    if (r < 0) ShowControllerError(window, "The command file could not be downloaded to the controller:", r);
    ShareGantrySettings(s);
    RefreshSliders(s);
    s.Modified = 1;
}

void ExportZpcl(HWND window, AppState& s) {
    if (!ControllerOpen(s)) return;
    char name[MAX_PATH] = {};
    if (!ChooseFileToSave(window, name, 0) || !name[0]) return;
    WaitCursor wait;
    ExportCommandFile(s.ControllerHandle, name, window);
}

void Print(HWND window, AppState& s) {
    if (!s.TestDone) {
        MessageBoxA(window, "Cannot print - No tests have been performed", "Print Error", MB_ICONERROR);
        return;
    }
    DWORD error = PrintTestReport(window);
    if (!error) return;
    char* system = nullptr;
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                   nullptr, error, 0x400, reinterpret_cast<LPSTR>(&system), 0, nullptr);
    char text[260];
    if (system) std::snprintf(text, sizeof text, "%s", system);
    else std::snprintf(text, sizeof text, "The report could not be printed (error %lu).", error);
    MessageBoxA(nullptr, text, "Printer Error", MB_ICONINFORMATION);
    if (system) LocalFree(system);
}

void SaveAllAxes(HWND window, AppState& s) {
    if (!ControllerOpen(s)) return;
    if (int r = ZQDLG_SaveAxis(s.ControllerHandle, 0, 0, 0); r < 0) {
        // The changes are not saved, so the exit question still asks about them.
        ShowAxisSaveError(window, r);
        return;
    }
    s.Modified = 0;
}

void AxisSetup(HWND window, AppState& s) {
    if (!ControllerOpen(s)) return;
    if (ZQDLG_ConfigureAxis(window, s.ControllerHandle, static_cast<unsigned short>(s.Axis), 0, 0) != 0) return;
    ShareGantrySettings(s);
    RefreshSliders(s);
    s.Modified = 1;
    ResetAxisReadout();
}

void ScalingSetup(HWND window, AppState& s) {
    if (!ControllerOpen(s)) return;
    if (ZQDLG_Scaling(window, s.ControllerHandle, static_cast<unsigned short>(s.Axis), 1, 0) != 0) return;
    ShareGantrySettings(s);
    s.Modified = 1;
}

void TestSetup(HWND window) {
    if (RunTestSetup(window) <= 0) return;
    Relayout(window);
    UpdatePlots(window);
    ResetAxisReadout();
}

}  // namespace

void ResetAxisReadout() { StatusReadout.lastAxis = -1; }

void ResetStatusReadout() {
    StatusReadout = StatusReadoutState();
    Outage.active = false;
}

int PositionDecimals(double scale) {
    double d = std::log10(std::fabs(scale)) + 0.99;
    if (!std::isfinite(d)) return -1;
    if (d > 20) return 20;  // more digits than a double carries would only pad the readout
    return static_cast<int>(d);
}

LRESULT OnMainCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    AppState* s = StateOf(window);
    if (!s) return 0;
    // While a test runs nothing else may start: not from the menu, an
    // accelerator or a command posted from outside.
    if (ModalWorkRunning(window)) return 0;
    switch (LOWORD(wParam)) {
    case IDM_SELECT_CONTROLLER: SelectController(window, *s); break;
    case IDM_RESET_CONTROLLER: ResetController(window, *s); break;
    case IDM_OPEN: OpenTestFile(window); break;
    case IDM_SAVE_AS: SaveTestFile(window); break;
    case IDM_AUTO_INITIALIZE: ToggleAutoInitialize(window, *s); break;
    case IDM_SAVE_ALL_AXES: SaveAllAxes(window, *s); break;
    case IDM_IMPORT_ZPCL: ImportZpcl(window, *s); break;
    case IDM_EXPORT_ZPCL: ExportZpcl(window, *s); break;
    case IDM_PRINT: Print(window, *s); break;
    case IDM_EXIT: PostMessageA(window, WM_CLOSE, 0, 0); break;
    case IDM_AXIS_SETUP: AxisSetup(window, *s); break;
    case IDM_SCALING_SETUP: ScalingSetup(window, *s); break;
    case IDM_PID_SLIDER_SETUP: s->LimitsDialogMask = 7; RunLimitsDialog(window, *s); break;
    case IDM_TEST_SETUP: TestSetup(window); break;
    case IDM_AUTO_TUNE: RunAutoTune(window); break;
    case IDM_HISTORY: OpenHistoryWindow(window); break;
    case IDM_PLOT_WINDOW_SETUP: PlotSetupDialog(window, s->PlotPanes, s->PlotPaneCount(), 0, 0); break;
    case IDM_HELP_TOPICS: ShowHelpTopic(window, kHelpContents); break;
    case IDM_ABOUT: ZQDLG_AboutBox(window, "Loopsmith", 0); break;
    default: SendMessageA(s->PanelWindow, WM_COMMAND, wParam, lParam); break;
    }
    return 0;
}

bool OnMainInitMenuPopup(HWND window, WPARAM, LPARAM lParam) {
    if (lParam != 0) return false;
    AppState* s = StateOf(window);
    EnableMenuItem(GetMenu(window), IDM_SAVE_AS, MF_BYCOMMAND | ((s && s->TestDone) ? MF_ENABLED : MF_GRAYED));
    return true;
}

LRESULT OnStatusTimer(HWND window) {
    AppState* s = StateOf(window);
    if (!s) return 0;
    unsigned short axis = static_cast<unsigned short>(s->Axis);
    short handle = s->ControllerHandle;
    HWND panel = s->PanelWindow;

    // Without a controller there is nothing to read: blank readouts, motor shown
    // off, once. The next open resets the axis marker and everything is rewritten.
    if (!ControllerOpen(*s)) {
        Outage.active = false;
        if (StatusReadout.lastAxis == kShowingNoController) return 0;
        StatusReadout = StatusReadoutState();
        StatusReadout.lastAxis = kShowingNoController;
        SetDlgItemTextA(panel, IDC_AXIS_READOUT, "");
        SetDlgItemTextA(panel, IDC_POSITION_READOUT, "");
        for (int id : {IDC_MOTOR_OFF, IDC_STEP_PLUS, IDC_STEP_MINUS}) EnableWindow(GetDlgItem(panel, id), FALSE);
        CheckDlgButton(panel, IDC_MOTOR_LED, 0);
        return 0;
    }

    if (axis != StatusReadout.lastAxis) {
        StatusReadout.lastAxis = axis;
        AxisScale scale = {};
        ZqGetScale(handle, axis, &scale);
        StatusReadout.decimals = PositionDecimals(scale.Scale);
        if (GantryPartner(*s)) {
            char text[32];
            std::snprintf(text, sizeof text, "%d  gantry", axis);
            SetDlgItemTextA(panel, IDC_AXIS_READOUT, text);
        } else {
            SetDlgItemInt(panel, IDC_AXIS_READOUT, axis, FALSE);
        }
    }

    double position = 0.0;
    int read = ZqGetPositionEx(handle, axis, &position);
    if (read < 0) {
        OnControllerSilent(window, panel, read);
        return 0;
    }
    int status = ZqGetStatus(handle, axis);
    if (status < 0) {
        OnControllerSilent(window, panel, status);
        return 0;
    }
    Outage.active = false;

    if (!(position == StatusReadout.lastPosition)) {
        StatusReadout.lastPosition = position;
        char text[64];
        std::snprintf(text, sizeof text, "%.*f", StatusReadout.decimals, position);
        SetDlgItemTextA(panel, IDC_POSITION_READOUT, text);
    }

    if (status != StatusReadout.lastStatus) {
        StatusReadout.lastStatus = status;
        int on = ZqDecodeStatus(handle, status, kStatusMotorOn) > 0;
        EnableWindow(GetDlgItem(panel, IDC_MOTOR_OFF), on != 0);
        ShowStepButtons(panel, on != 0);
        CheckDlgButton(panel, IDC_MOTOR_LED, on ? 1 : 0);
        if (ZqDecodeStatus(handle, status, kStatusFaultLed) > 0) CheckDlgButton(panel, IDC_MOTOR_LED, 2);
    }
    return 0;
}
