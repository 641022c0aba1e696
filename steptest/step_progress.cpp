// The "Step Test" progress window (see step_progress.h).
#include "step_progress.h"

#include <commctrl.h>

#include <cstdio>
#include <utility>

#include "../panel/dialog_helpers.h"
#include "../resources/step_progress_ids.h"

std::string StepProgressText(DWORD elapsedMs, DWORD totalMs) {
    if (elapsedMs > totalMs) elapsedMs = totalMs;
    char text[64];
    std::snprintf(text, sizeof text, "Recording %.1f s of %.1f s", elapsedMs / 1000.0, totalMs / 1000.0);
    return text;
}

StepProgress::StepProgress(HWND mainWindow, DWORD totalMs, std::function<void()> onStop)
    : onStop_(std::move(onStop)) {
    if (totalMs < kStepProgressFromMs || !mainWindow) return;
    static bool controlsReady = false;
    if (!controlsReady) {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
        controlsReady = InitCommonControlsEx(&icc) != FALSE;
    }
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(mainWindow, GWLP_HINSTANCE));
    window_ = CreateDialogParamA(instance, IDD_STEP_PROGRESS, mainWindow, Proc, reinterpret_cast<LPARAM>(this));
    if (!window_) return;
    SendDlgItemMessageA(window_, IDC_STEP_PROGRESS_BAR, PBM_SETRANGE32, 0, static_cast<LPARAM>(totalMs));
    Progress(0, totalMs);
    CenterDialog(window_);
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
}

StepProgress::~StepProgress() { Close(); }

void StepProgress::RequestStop() {
    if (stop_) return;
    stop_ = true;
    if (window_) EnableWindow(GetDlgItem(window_, IDC_STEP_STOP), FALSE);
    if (onStop_) onStop_();
}

void StepProgress::Close() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    window_ = nullptr;
}

void StepProgress::Progress(DWORD elapsedMs, DWORD totalMs) {
    if (!window_) return;
    SendDlgItemMessageA(window_, IDC_STEP_PROGRESS_BAR, PBM_SETPOS, elapsedMs < totalMs ? elapsedMs : totalMs, 0);
    SetDlgItemTextA(window_, IDC_STEP_PROGRESS_TEXT, StepProgressText(elapsedMs, totalMs).c_str());
}

INT_PTR CALLBACK StepProgress::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return TRUE;
    case WM_COMMAND: {
        // Stop, Escape and the close box all end the wait.
        int id = LOWORD(wParam);
        if (id != IDC_STEP_STOP && id != IDCANCEL) return FALSE;
        auto* self = reinterpret_cast<StepProgress*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (self) self->RequestStop();
        return TRUE;
    }
    case WM_CLOSE: {
        auto* self = reinterpret_cast<StepProgress*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (self) self->RequestStop();
        return TRUE;
    }
    }
    return FALSE;
}
