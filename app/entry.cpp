// Process start-up and the message loop.
#include "../history/history_window.h"
#include "entry.h"

#include "../controller/zq_library.h"
#include "../core/app_state.h"
#include "../core/help_file.h"
#include "../libs/plotwin/plotwin.h"
#include "../panel/gain_panel.h"
#include "../panel/gain_slider.h"
#include "../resources/app_ids.h"
#include "../resources/panel_ids.h"
#include "command_line.h"
#include "commands.h"
#include "main_window.h"

const char kLibraryVersionMessage[] = "This application requires version 350\nor later of the Zephmill Dialogs!";

namespace {

bool RegisterOne(HINSTANCE instance, const char* name, UINT style, WNDPROC procedure, HICON icon, HCURSOR cursor,
                 const char* menu) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszMenuName = menu;
    wc.lpszClassName = name;
    return RegisterClassExA(&wc) != 0;
}

}  // namespace

bool RegisterWindowClasses(HINSTANCE instance) {
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    return RegisterOne(instance, SLIDER_CLASS, 0, GainSliderProc, nullptr, nullptr, nullptr) &&
           RegisterOne(instance, PANEL_CLASS, 0, GainPanelProc, nullptr, arrow, nullptr) &&
           RegisterOne(instance, MAIN_CLASS, CS_HREDRAW | CS_VREDRAW, MainWindowProc,
                       LoadIconA(instance, MAKEINTRESOURCEA(IDI_LOOPSMITH)), arrow, "LoopsmithMenu");
}

HWND InitInstance(HINSTANCE instance, char* commandLine, int showCommand) {
    PlotInitialize(instance);
    DWORD parameter = ParseStartOptions(commandLine);
    if (LoadApiLibrary() != 0 || LoadDialogsLibrary() != 0) {
        MessageBoxA(nullptr, kLibraryVersionMessage, "Loopsmith", MB_ICONERROR);
        return nullptr;
    }
    ZQDLG_Initialize();
    BuildHelpFilePath();
    InstallHelpKeyHook();

    HWND window = CreateWindowExA(0, MAIN_CLASS, "Loopsmith", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 0, 0,
                                  nullptr, nullptr, instance,
                                  reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(parameter)));
    if (!window) return nullptr;

    AppState* s = StateOf(window);
    s->PanelWindow = CreateWindowExA(0, PANEL_CLASS, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                                     reinterpret_cast<HMENU>(IDC_PANEL), instance, nullptr);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    // The panel was created after the placement's WM_SIZE: give it its place now.
    Relayout(window);
    RefreshSliders(*s);
    ResetStatusReadout();
    while (!StartStatusTimer(window)) {
        if (MessageBoxA(window, "Too many clocks or timers!", "Loopsmith", MB_ICONWARNING | MB_RETRYCANCEL) ==
            IDCANCEL) {
            // Closed as the user would close it: the settings are saved, every axis
            // goes back to trajectory mode and the controller is closed.
            SendMessageA(window, WM_CLOSE, 0, 0);
            if (IsWindow(window)) DestroyWindow(window);
            return nullptr;
        }
    }
    EnableWindow(s->PanelWindow, TRUE);
    return window;
}

int LoopsmithMain(HINSTANCE instance, HINSTANCE previous, char* commandLine, int showCommand) {
    if (!previous && !RegisterWindowClasses(instance)) {
        MessageBoxA(nullptr, "Unable to register window classes. Program terminating.", "Loopsmith", MB_ICONERROR);
        return 0;
    }
    HWND window = InitInstance(instance, commandLine, showCommand);
    if (!window) return 0;
    HACCEL accelerators = LoadAcceleratorsA(instance, "Loopsmith");
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        if (TranslateAcceleratorA(window, accelerators, &msg)) continue;
        // Tab and the buttons' keys in the modeless Test History window.
        HWND history = HistoryWindow();
        if (history && IsDialogMessageA(history, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
