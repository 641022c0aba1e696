// Print job: printer dialog, spooling with a cancel dialog, page layout of the
// plot panes, clean-up.
#include "print_job.h"

#include "../core/app_state.h"
#include "../libs/plotwin/plotwin.h"
#include "../panel/dialog_helpers.h"
#include "pane_placement.h"
#include "report_layout.h"

int UserAbort = 0;
HWND CancelDialog = nullptr;
BOOL (WINAPI *PrintDlgFunction)(LPPRINTDLGA request) = PrintDlgA;

BOOL CALLBACK PrintAbortProc(HDC, int) {
    if (UserAbort) return FALSE;
    MSG msg;
    while (!UserAbort && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (CancelDialog && IsDialogMessageA(CancelDialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return UserAbort ? FALSE : TRUE;
}

INT_PTR CALLBACK PrintCancelDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_GRAYED);
        CenterDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        UserAbort = 1;
        // The owner: an overlapped dialog has no parent, and the main window must come back.
        EnableWindow(GetWindow(dialog, GW_OWNER), TRUE);
        DestroyWindow(dialog);
        CancelDialog = nullptr;
        return TRUE;
    }
    return FALSE;
}

DWORD PrintTestReport(HWND mainWindow) {
    AppState* state = StateOf(mainWindow);
    DWORD result = 0;
    if (!state) return 0;

    PRINTDLGA request = {};
    request.lStructSize = 66;
    request.hwndOwner = mainWindow;
    request.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION;
    if (!PrintDlgFunction(&request)) return 0;
    HDC dc = request.hDC;

    DOCINFOA document = {};
    document.cbSize = sizeof document;
    document.lpszDocName = "Loopsmith Graph";

    EnableWindow(mainWindow, FALSE);
    UserAbort = 0;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(mainWindow, GWLP_HINSTANCE));
    CancelDialog = CreateDialogParamA(instance, "PrintDialog", mainWindow, PrintCancelDialogProc, 0);
    SetAbortProc(dc, PrintAbortProc);

    if (!dc || StartDocA(dc, &document) <= 0 || StartPage(dc) <= 0) {
        result = dc ? GetLastError() : ERROR_INVALID_HANDLE;
        if (!result) result = ERROR_GEN_FAILURE;  // a failure is never reported as success
    } else {
        int H = GetDeviceCaps(dc, HORZRES), V = GetDeviceCaps(dc, VERTRES);
        DrawReport(dc, *state);
        SetMapMode(dc, MM_ANISOTROPIC);
        for (const PaneViewport& p : PlacePrintedPanes(state->PlotStyle, state->PlotPaneCount(),
                                                        state->PlotTorque != 0, H, V)) {
            SetViewportExtEx(dc, p.extentX, p.extentY, nullptr);
            SetViewportOrgEx(dc, p.originX, p.originY, nullptr);
            SendMessageA(state->PlotPanes[p.pane], WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), 0);
        }
        if (EndPage(dc) <= 0) result = GetLastError();
        else if (EndDoc(dc) <= 0) result = GetLastError();
    }

    if (!UserAbort) {
        EnableWindow(mainWindow, TRUE);
        if (CancelDialog) DestroyWindow(CancelDialog);
        CancelDialog = nullptr;
    }
    if (dc) DeleteDC(dc);
    if (request.hDevMode) GlobalFree(request.hDevMode);
    if (request.hDevNames) GlobalFree(request.hDevNames);
    return result;
}
