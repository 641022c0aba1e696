// Main window procedure: creation, layout, shutdown; commands and the timer
// are handled in commands.cpp.
#include "../history/history_runs.h"
#include "../history/history_window.h"
#include "main_window.h"

#include <new>

#include "../controller/zq_library.h"
#include "../core/connection.h"
#include "../core/help_file.h"
#include "../core/modal_wait.h"
#include "../core/record_time.h"
#include "../core/settings.h"
#include "../libs/plotwin/plotwin.h"
#include "../plot/plot_display.h"
#include "../resources/app_ids.h"
#include "../resources/panel_ids.h"
#include "commands.h"
#include "layout.h"

namespace {

AppState* NewAppState() { return new (std::nothrow) AppState(); }

// Set on the main window while its status timer runs.
const char kTimerProperty[] = "LoopsmithStatusTimer";

void CreatePlotPanes(HWND window, AppState& s) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    for (HWND& pane : s.PlotPanes) {
        pane = CreateWindowExA(WS_EX_CLIENTEDGE, PLOTWIN_CLASS, nullptr,
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | PLOTWIN_STYLE_PANE, 0, 0, 0, 0, window,
                               nullptr, instance, nullptr);
        SendMessageA(pane, PWM_SETXLABEL, 0, reinterpret_cast<LPARAM>("Time (ms)"));
        SendMessageA(pane, PWM_SETYLABEL, 0, reinterpret_cast<LPARAM>("Distance"));
    }
}

LRESULT OnCreate(HWND window, const CREATESTRUCTA* cs) {
    AppState* s = AllocateAppState();
    if (!s) {
        MessageBoxA(window, "Fatal Error: Cannot allocate memory for user window data.", "Loopsmith", MB_ICONWARNING);
        return -1;
    }
    // Before the placement below: its WM_SIZE reads the record.
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
    CreatePlotPanes(window, *s);
    CreateHistory(*s);
    s->Modified = 0;
    s->MainWindow = window;
    LoadSettings(*s);
    if (s->AutoInit) CheckMenuItem(GetMenu(window), IDM_AUTO_INITIALIZE, MF_CHECKED);

    DWORD parameter = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(cs->lpCreateParams));
    unsigned short axis = LOWORD(parameter);
    unsigned short board = HIWORD(parameter);
    if (axis) SelectAxis(*s, axis);
    if (board < 0x8000) s->ControllerID = board;

    while (OpenController(*s) <= 0) {
        if (s->ControllerHandle < 0) ShowOpenError(window, *s);
        s->ControllerID = static_cast<short>(ZQDLG_SelectController(window, -1, 0, 0));
        if (s->ControllerID < 0) return 0;  // no controller; Select Controller stays available
    }

    double r = LimitRecordTime(s->Test, s->ControllerHandle, static_cast<unsigned short>(s->Axis), s->AdvancedCapture);
    if (r > 0) s->Test.RecordTime = r;
    LoadAxisSettings(window);
    ShareGantrySettings(*s);
    SetGainFullScale(*s);
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    return DefWindowProcA(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(cs));
}

LRESULT OnSize(HWND window, LPARAM lParam) {
    AppState* s = StateOf(window);
    if (!s) return 0;
    int width = LOWORD(lParam), height = HIWORD(lParam);
    MainLayout layout = ComputeMainLayout(s->PlotPaneCount(), s->PlotStyle, width, height);
    HWND panel = GetDlgItem(window, IDC_PANEL);
    if (panel) MoveWindow(panel, 0, 0, kPanelWidth, layout.panelHeight, TRUE);
    for (int i = 0; i < kPaneCount; ++i) {
        HWND pane = s->PlotPanes[i];
        const PanePlace& p = layout.panes[i];
        if (p.visible) {
            EnableWindow(pane, TRUE);
            ShowWindow(pane, SW_SHOW);
            MoveWindow(pane, p.x, p.y, p.width, p.height, TRUE);
            SetPaneDivisions(pane, p.width, p.height);
        } else {
            EnableWindow(pane, FALSE);
            ShowWindow(pane, SW_HIDE);
        }
    }
    SetFocus(window);
    return 0;
}

LRESULT OnClose(HWND window) {
    // A close during a test comes back when the test has ended or was stopped,
    // so its data and the settings are kept as after any test.
    if (DeferCloseWhileBusy(window)) return 0;
    AppState* s = StateOf(window);
    if (s) {
        SaveSettings(*s);
        // Without an open controller there is no axis whose settings could be kept:
        // saving would write defaults over what the last controller id had stored.
        if (s->ControllerHandle > 0) SaveAxisSettings(window);
    }
    WinHelpA(window, HelpFile, HELP_QUIT, 0);
    if (s && s->Modified &&
        MessageBoxA(window, "Do you wish to save the changes you\n have made to your tuning parameters?", "Exit",
                    MB_ICONQUESTION | MB_YESNO) == IDYES) {
        if (int r = ZQDLG_SaveAxis(s->ControllerHandle, 0, 0, 0); r < 0) ShowAxisSaveError(window, r);
    }
    DestroyWindow(window);
    return 0;
}

LRESULT OnDestroy(HWND window) {
    AppState* s = StateOf(window);
    // Without a record the creation itself failed: no timer ran, nothing to close.
    // A start-up that gave up because the timer could not start has none to stop.
    const bool timerRan = RemovePropA(window, kTimerProperty) != nullptr;
    if (s && timerRan && !KillTimer(window, LOOPSMITH_TIMER_ID))
        MessageBoxA(window, "Could not stop Timer!", "Exit", MB_OK);
    if (s) {
        ControllerParams params = {};
        ZqGetConfiguration(s->ControllerHandle, &params);
        for (int axis = 1; axis <= params.AxisCount; ++axis)
            ZqSetOperatingMode(s->ControllerHandle, static_cast<unsigned short>(axis), 0, kModeTrajectoryOn);
        ZqClose(s->ControllerHandle);
        if (HWND history = HistoryWindow()) DestroyWindow(history);
        ReleaseHistory(*s);
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        delete s;
    }
    PostQuitMessage(0);
    return 0;
}

}  // namespace

AppState* (*AllocateAppState)() = NewAppState;
UINT_PTR (WINAPI *StartTimerFunction)(HWND, UINT_PTR, UINT, TIMERPROC) = SetTimer;

bool StartStatusTimer(HWND window) {
    if (!StartTimerFunction(window, LOOPSMITH_TIMER_ID, LOOPSMITH_TIMER_MS, nullptr)) return false;
    SetPropA(window, kTimerProperty, reinterpret_cast<HANDLE>(1));
    return true;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
    case WM_DESTROY: return OnDestroy(window);
    case WM_SIZE: return OnSize(window, lParam);
    case WM_CLOSE: return OnClose(window);
    case WM_SYSCOLORCHANGE: {
        AppState* s = StateOf(window);
        if (s && s->PanelWindow) SendMessageA(s->PanelWindow, WM_SYSCOLORCHANGE, 0, 0);
        break;
    }
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = kMinTrackWidth;
        info->ptMinTrackSize.y = kMinTrackHeight;
        return 0;
    }
    case WM_COMMAND: return OnMainCommand(window, wParam, lParam);
    case WM_TIMER: return OnStatusTimer(window);
    case WM_INITMENUPOPUP:
        if (OnMainInitMenuPopup(window, wParam, lParam)) return 0;
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
